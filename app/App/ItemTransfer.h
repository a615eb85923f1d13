#pragma once

#include "App/CommandQueue.h"
#include "App/ItemActions.h"
#include "App/QuickLookCoordinator.h"
#include "App/SingleInstance.h"
#include "App/TextPreviewController.h"
#include "Notch/DropImport.h"
#include "Pasteboard/PasteboardCommit.h"
#include "Store/ImportJob.h"

#include <QList>
#include <QObject>
#include <QUrl>

class QMimeData;

namespace holdra {

class NotchController;
class StashStore;
class UserDefaults;

// Everything that moves items into and out of the stash, connected to the
// controller's requests: paste, drops, files opened with Holdra (also from a
// second start), copy, open, reveal and preview. Outcomes come back as the
// controller's toasts, selection and scrolling.
class ItemTransfer : public QObject
{
    Q_OBJECT

public:
    ItemTransfer(NotchController &controller, StashStore &store, UserDefaults *defaults,
                 QObject *parent = nullptr);
    ~ItemTransfer() override;

    // Starts answering later `holdra FILE…` invocations; false when another instance has the name.
    bool listenForOtherInstances();

    void handlePaste();
    void importDrop(const QMimeData &data);
    // Files opened with Holdra: stored, the panel opened and the outcome told.
    void importExternalFiles(const QList<QUrl> &urls);
    void preview(const StashItem &item);

    ItemActions &actions() { return m_actions; }
    // The socket later invocations reach this instance through.
    SingleInstance &instance() { return m_instance; }
    ImportJob &importJob() { return m_import; }

Q_SIGNALS:
    // `holdra --settings` from another invocation.
    void settingsRequested();

private:
    void showPasteOutcome(const PasteboardContent &content, const PasteboardCommit &commit);
    void showDropOutcome(const DropImport::Outcome &outcome);

    NotchController &m_controller;
    StashStore &m_store;
    ItemActions m_actions;
    TextPreviewController m_textPreview;
    QuickLookCoordinator m_quickLook;
    SingleInstance m_instance;
    ImportJob m_import;
    // Forwarded commands; an `add` copies on m_import like a drop.
    CommandQueue m_commands;
};

} // namespace holdra
