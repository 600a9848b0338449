#include "FakeBrowser.h"

#include <QDir>
#include <QFile>

FakeBrowser::FakeBrowser(const QString& folder) : m_log(QDir(folder).filePath("browser.log"))
{
    const QString path = QDir(folder).filePath("fake-browser");
    QFile script(path);
    if (script.open(QIODevice::WriteOnly)) {
        script.write(QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '%1'; done\n")
                         .arg(m_log)
                         .toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    // A missing first entry shows that the list is walked on.
    qputenv("BROWSER", ("/nonexistent/browser:" + path).toUtf8());
}

QString FakeBrowser::Received() const
{
    QFile file(m_log);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
