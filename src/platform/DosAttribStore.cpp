#include "platform/AttributeStore.h"
#include "platform/DosAttribCodec.h"
#include "platform/StoreBackends.h"

#include <cerrno>
#include <string>
#include <string_view>
#include <sys/xattr.h>

namespace umbrix::platform::stores {
namespace {

bool noStoreHere(int err)
{
    return err == ENOTSUP || err == EOPNOTSUPP;
}

// 0 with `value` filled (present or not); ENOTSUP when the filesystem keeps no
// user xattrs; another errno on failure.
int readValue(Entry& entry, StoredValue& value)
{
    ssize_t n = entry.getXattr(dosattrib::XattrName, value.inlineBuffer, StoredValue::InlineSize);
    if (n >= 0) {
        value.data = std::string_view(value.inlineBuffer, static_cast<size_t>(n));
        value.present = true;
        return 0;
    }
    // The kernel refuses user xattrs on links and special files with ENODATA.
    if (n == -ENODATA)
        return 0;
    if (n != -ERANGE)
        return static_cast<int>(-n);

    for (int attempt = 0; attempt < 4; ++attempt) {
        n = entry.getXattr(dosattrib::XattrName, nullptr, 0);
        if (n < 0)
            return n == -ENODATA ? 0 : static_cast<int>(-n);
        value.spill.resize(static_cast<size_t>(n));
        n = entry.getXattr(dosattrib::XattrName, value.spill.data(), value.spill.size());
        if (n >= 0) {
            value.spill.resize(static_cast<size_t>(n));
            value.data = value.spill;
            value.present = true;
            return 0;
        }
        if (n != -ERANGE)
            return n == -ENODATA ? 0 : static_cast<int>(-n);
    }
    return ERANGE;
}

// Read-only on a filesystem without a DOS store also means "the owner may not
// write".  Directories are left out: their write bit governs creating and
// deleting entries in them, which read-only does not on Windows.
bool modeSaysReadOnly(const struct statx& st)
{
    return !S_ISDIR(st.stx_mode) && (st.stx_mode & S_IWUSR) == 0;
}

uint64_t creationTime(const struct statx& st)
{
    if (st.stx_mask & STATX_BTIME)
        return dosattrib::ntTime(st.stx_btime.tv_sec, st.stx_btime.tv_nsec);
    const auto older = (st.stx_mtime.tv_sec < st.stx_ctime.tv_sec ||
                        (st.stx_mtime.tv_sec == st.stx_ctime.tv_sec &&
                         st.stx_mtime.tv_nsec <= st.stx_ctime.tv_nsec))
                           ? st.stx_mtime
                           : st.stx_ctime;
    return dosattrib::ntTime(older.tv_sec, older.tv_nsec);
}

} // namespace

int DosAttribValue::read(Entry& entry)
{
    if (const int err = readValue(entry, value_)) {
        noStore_ = noStoreHere(err);
        return err;
    }
    if (!value_.present)
        return 0;
    if (!dosattrib::parse(value_.data, parsed_))
        return EBADMSG;
    if (parsed_.attribValid)
        stored_ = parsed_.attrib;
    return 0;
}

uint32_t DosAttribValue::word(const struct statx& st) const
{
    return (S_ISDIR(st.stx_mode) ? Attr::Directory : 0) | visibleBits(stored_) |
           (noStore_ && modeSaysReadOnly(st) ? Attr::ReadOnly : 0);
}

int DosAttribValue::write(Entry& entry, const struct statx& st, uint32_t attributes) const
{
    const uint32_t after = rewrittenBits(stored_, attributes);
    std::string newValue;
    if (value_.present) {
        newValue = dosattrib::withAttrib(value_.data, parsed_, after);
        if (newValue == value_.data)
            return 0;
    } else if (after != 0) {
        newValue = dosattrib::fresh(after, creationTime(st));
    } else {
        return 0;
    }
    const int flags = value_.present ? XATTR_REPLACE : XATTR_CREATE;
    const int err = entry.setXattr(dosattrib::XattrName, newValue.data(), newValue.size(), flags);
    return noStoreHere(err) ? EOPNOTSUPP : err;
}

int dosAttribQuery(Entry& entry, const struct statx& st, uint32_t& word)
{
    DosAttribValue value;
    const int err = value.read(entry);
    word = S_ISDIR(st.stx_mode) ? Attr::Directory : 0;
    if (err != 0 && !noStoreHere(err))
        return err;
    word = value.word(st);
    return 0;
}

int dosAttribStoredBits(Entry& entry, uint32_t& stored)
{
    stored = 0;
    StoredValue value;
    const int err = readValue(entry, value);
    if (err != 0)
        return noStoreHere(err) ? 0 : err;
    if (!value.present)
        return 0;
    dosattrib::Parsed parsed;
    if (!dosattrib::parse(value.data, parsed))
        return EBADMSG;
    if (parsed.attribValid)
        stored = parsed.attrib;
    return 0;
}

int dosAttribUnhide(Entry& entry, uint32_t& stored)
{
    stored = 0;
    StoredValue value;
    if (const int err = readValue(entry, value); err != 0)
        return noStoreHere(err) ? EOPNOTSUPP : err;
    if (!value.present)
        return 0;
    dosattrib::Parsed parsed;
    if (!dosattrib::parse(value.data, parsed))
        return EBADMSG; // never overwrite what we cannot read
    stored = parsed.attribValid ? visibleBits(parsed.attrib) : 0;
    if (!isUnhideCandidate(stored))
        return 0;
    const std::string newValue =
        dosattrib::withAttrib(value.data, parsed, parsed.attrib & ~Attr::Hidden);
    return entry.setXattr(dosattrib::XattrName, newValue.data(), newValue.size(), XATTR_REPLACE);
}

int dosAttribStore(Entry& entry, const struct statx& st, uint32_t attributes)
{
    DosAttribValue value;
    if (const int err = value.read(entry); err != 0)
        return noStoreHere(err) ? EOPNOTSUPP : err;
    return value.write(entry, st, attributes);
}

} // namespace umbrix::platform::stores
