#include "Panel/StoredCopyLook.h"

#include "Models/StashItemKind.h"
#include "Panel/FileIconNames.h"
#include "Panel/StashItemPresentation.h"
#include "Store/StashStore.h"

namespace holdra {

StoredCopyLook StoredCopyLook::of(const StashStore &store, const StashItem &item, FileIconNames &icons)
{
    StoredCopyLook look;
    look.absolutePath = store.absolutePath(item);
    look.isDirectory = StashItemPresentation::isStoredDirectory(item, look.absolutePath);
    if (item.kind() == StashItemKind::file)
        look.fileIconName = icons.forCopy(look.absolutePath, look.isDirectory);
    return look;
}

} // namespace holdra
