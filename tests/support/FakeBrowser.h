#pragma once

#include <QString>

// A stand-in browser for OpenInBrowser's fallback: a script that appends each
// argument it receives as a line to a log. The constructor points $BROWSER at
// it (the offscreen platform has no desktop services, so the fallback runs).
class FakeBrowser
{
  public:
    explicit FakeBrowser(const QString& folder);

    // Everything the browser has received so far, one argument per line.
    QString Received() const;

  private:
    QString m_log;
};
