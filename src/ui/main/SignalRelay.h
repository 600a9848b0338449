#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT, SIGTERM, SIGHUP and SIGUSR1 into a Qt signal on the GUI thread.
// The handler only writes the signal number into a socket pair; everything else
// happens when the event loop reads it.
class SignalRelay : public QObject
{
    Q_OBJECT

  public:
    explicit SignalRelay(QObject* parent = nullptr);
    ~SignalRelay() override;

    bool isValid() const { return m_notifier != nullptr; }

  signals:
    void signalReceived(int signalNumber);

  private:
    void ReadSignals();

    QSocketNotifier* m_notifier = nullptr;
};
