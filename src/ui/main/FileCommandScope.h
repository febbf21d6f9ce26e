#pragma once

#include <QApplication>

namespace umbrix {

// Counts the delete and copy commands that are running, so that none starts
// inside another's yield.
class FileCommandScope {
public:
    explicit FileCommandScope(int& running) : running_(running) { ++running_; }
    ~FileCommandScope() { --running_; }
    FileCommandScope(const FileCommandScope&) = delete;
    FileCommandScope& operator=(const FileCommandScope&) = delete;

private:
    int& running_;
};

// The hourglass for as long as it lives.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace umbrix
