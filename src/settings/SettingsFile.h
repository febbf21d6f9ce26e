#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace umbrix {

// Hears of a settings file that is left alone because it is no regular file
// (a link, a FIFO, a device...): once a path and process.  Without one the
// message goes to stderr.
using SettingsComplaint = std::function<void(const QString& message)>;
// Installs `complaint` and returns the one it replaces.
SettingsComplaint installSettingsComplaint(SettingsComplaint complaint);

// The bytes of the settings file `path`, "" when there is none; nothing when
// it is no regular file of at most 1 MiB or cannot be read.  A link is never
// followed and a FIFO never waited on.
std::optional<QByteArray> readSettingsFile(const QString& path);

// Puts `bytes` in place of the settings file `path`: a new file beside it,
// renamed over it, so that neither a link there nor the file it points to is
// written through.  Its folder is made (mode 0700) when missing.  False, and
// nothing changed, when the entry there is no regular file or the write
// fails.
bool writeSettingsFile(const QString& path, const QByteArray& bytes);

} // namespace umbrix
