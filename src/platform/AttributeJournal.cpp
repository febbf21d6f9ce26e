#include "platform/AttributeJournal.h"

#include <atomic>

namespace umbrix::platform {
namespace {

std::atomic<AttributeJournal*> installed{nullptr};

} // namespace

AttributeJournal* attributeJournal()
{
    return installed.load(std::memory_order_acquire);
}

AttributeJournal* installAttributeJournal(AttributeJournal* journal)
{
    return installed.exchange(journal, std::memory_order_acq_rel);
}

void flushAttributeJournal()
{
    if (AttributeJournal* journal = attributeJournal())
        journal->flush();
}

std::string_view storeName(StoreKind store)
{
    switch (store) {
    case StoreKind::Fat:
        return "FAT ioctl";
    case StoreKind::Ntfs:
        return "system.ntfs_attrib";
    case StoreKind::Smb:
        return "user.cifs.dosattrib";
    case StoreKind::DosAttrib:
        break;
    }
    return "user.DOSATTRIB";
}

} // namespace umbrix::platform
