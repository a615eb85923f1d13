#include "Pasteboard/PasteboardCommit.h"

#include "Store/StashStore.h"
#include "Support/KitLogging.h"

namespace holdra {

namespace {

void logFailure(const FileStorageError &error)
{
    qCWarning(lcImport).noquote() << "a pasted item was not stashed:" << error.errorDescription();
}

template<class... Ts>
struct Overloaded : Ts...
{
    using Ts::operator()...;
};
// Older compilers (clang 14) do not deduce aggregate templates without a guide.
template<class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// The files at once, for a caller without an import job.
ImportJob::Result addNow(const PasteboardContent::Files &files, StashStore &store)
{
    StashStore::AddFilesResult added = store.addFiles(files.urls);
    return {added.added, added.duplicates, added.errors, false};
}

} // namespace

PasteboardCommit PasteboardCommit::fromImport(const ImportJob::Result &imported)
{
    PasteboardCommit result;
    result.addedCount = int(imported.added.size());
    result.duplicates = imported.duplicates;
    for (const FileStorageError &error : imported.errors)
        logFailure(error);
    return result;
}

PasteboardCommit PasteboardCommit::commit(const PasteboardContent &content, StashStore &store)
{
    PasteboardCommit result;
    std::visit(Overloaded{
                   [](const PasteboardContent::Empty &) {},
                   [&](const PasteboardContent::Files &files) { result = fromImport(addNow(files, store)); },
                   [&](const PasteboardContent::Image &image) {
                       try {
                           StashStore::ImageDataResult added =
                               store.addImageData(image.data, QStringLiteral("剪贴板图片"), image.fileExtension);
                           result.addedCount = added.item ? 1 : 0;
                           result.duplicates = std::move(added.duplicates);
                       } catch (const FileStorageError &error) {
                           logFailure(error);
                       }
                   },
                   [&](const PasteboardContent::Link &link) {
                       store.addLink(link.url, link.title);
                       result.addedCount = 1;
                   },
                   [&](const PasteboardContent::Text &text) {
                       store.addText(text.text);
                       result.addedCount = 1;
                   },
               },
               content.value);
    return result;
}

} // namespace holdra
