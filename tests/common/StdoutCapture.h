#pragma once

#include <QStringList>
#include <QTemporaryFile>

// Redirects the process's real standard output (file descriptor 1) into a
// temporary file while alive, so tests can read the diagnostic lines exactly.
class StdoutCapture
{
public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture &) = delete;
    StdoutCapture &operator=(const StdoutCapture &) = delete;

    // Ends the capture (so test failures reach the real output again) and
    // returns everything written, split into lines (the final line feed dropped).
    QStringList lines();

private:
    void restore();
    QTemporaryFile m_file;
    int m_savedFd = -1;
};
