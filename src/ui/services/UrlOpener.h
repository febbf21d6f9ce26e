#pragma once

#include <QUrl>
#include <functional>
#include <vector>

namespace umbrix {

// Hands `url` to the user's default program for it (the mail program for
// "mailto:", the browser for a web address).  False when the desktop found
// none or could not start it.
bool OpenUrl(const QUrl& url);

// While alive, OpenUrl records every address and answers `open` (true when
// none is given) instead of starting anything.
class ScopedUrlOpener {
public:
    using Open = std::function<bool(const QUrl&)>;
    explicit ScopedUrlOpener(Open open = {});
    ~ScopedUrlOpener();
    ScopedUrlOpener(const ScopedUrlOpener&) = delete;
    ScopedUrlOpener& operator=(const ScopedUrlOpener&) = delete;

    const std::vector<QUrl>& urls() const { return urls_; }

private:
    friend bool OpenUrl(const QUrl&);
    Open open_;
    std::vector<QUrl> urls_;
    ScopedUrlOpener* previous_;
};

} // namespace umbrix
