#include "ui/services/UrlOpener.h"

#include <QDesktopServices>

namespace umbrix {
namespace {
ScopedUrlOpener* g_opener = nullptr;
}

bool OpenUrl(const QUrl& url)
{
    if (g_opener) {
        g_opener->urls_.push_back(url);
        return g_opener->open_ ? g_opener->open_(url) : true;
    }
    return QDesktopServices::openUrl(url);
}

ScopedUrlOpener::ScopedUrlOpener(Open open) : open_(std::move(open)), previous_(g_opener)
{
    g_opener = this;
}

ScopedUrlOpener::~ScopedUrlOpener()
{
    g_opener = previous_;
}

} // namespace umbrix
