#pragma once

// Answers the modal windows a widget under test opens (message boxes, pickers)
// while that widget's code waits in exec(). Header only: it needs Qt Widgets,
// which the shared support library does not link.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>

#include <deque>
#include <functional>
#include <vector>

class ModalDriver : public QObject
{
  public:
    using Handler = std::function<void(QWidget* modal)>;

    struct SeenMessage
    {
        QString text;
        QMessageBox::Icon icon;
    };

    ModalDriver()
    {
        // Polled rather than event-driven: the modal window appears inside a nested exec().
        connect(&m_timer, &QTimer::timeout, this, &ModalDriver::Poll);
        m_timer.start(5);
    }

    // Queues a handler for the next modal window that appears.
    void Expect(Handler handler) { m_handlers.push_back(std::move(handler)); }

    // Queues: the next modal window is a message box; remember it and press button.
    void AnswerMessage(QMessageBox::StandardButton button = QMessageBox::Ok)
    {
        Expect([this, button](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box == nullptr) {
                unexpected << modal->metaObject()->className();
                modal->close();
                return;
            }
            messages.push_back({box->text(), box->icon()});
            if (QAbstractButton* pressed = box->button(button)) {
                pressed->click();
            } else {
                unexpected << QStringLiteral("message box without the expected button: ") + box->text();
                box->close();
            }
        });
    }

    bool AllAnswered() const { return m_handlers.empty(); }

    std::vector<SeenMessage> messages; // every message box answered, in order
    QStringList unexpected;            // modal windows no handler was queued for, or of the wrong kind

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide) {
            watched->setProperty("modalDriverSeen", false);
            watched->removeEventFilter(this);
        }
        return false;
    }

  private:
    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible() || modal->property("modalDriverSeen").toBool()) {
            return;
        }
        modal->setProperty("modalDriverSeen", true);
        modal->installEventFilter(this); // to forget it once hidden: a dialog may be run again
        if (m_handlers.empty()) {
            unexpected << QString::fromUtf8(modal->metaObject()->className());
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                unexpected << box->text();
            }
            modal->close();
            return;
        }
        Handler handler = std::move(m_handlers.front());
        m_handlers.pop_front();
        // Run from the event loop, not inside this timer slot: a handler that opens
        // a further modal window must leave the timer free to see it.
        QPointer<QWidget> target(modal);
        QMetaObject::invokeMethod(
            this,
            [handler, target]() {
                if (target) {
                    handler(target);
                }
            },
            Qt::QueuedConnection);
    }

    QTimer m_timer;
    std::deque<Handler> m_handlers;
};
