#pragma once

#include "App/CommandQueue.h"
#include "App/ItemActions.h"
#include "App/QuickLookCoordinator.h"
#include "App/SingleInstance.h"
#include "App/TextPreviewController.h"
#include "Pasteboard/DropImport.h"
#include "Pasteboard/PasteboardCommit.h"
#include "Store/ImportJob.h"

#include <QList>
#include <QObject>
#include <QUrl>

class QQmlEngine;

namespace holdra {

class NotchController;
class StashStore;
class UserDefaults;

// What reaches outside the stash for the panel's actions (the clipboard, the
// desktop's applications, previews and drags), the files opened with Holdra
// (also from a second start) and the commands of later invocations. Outcomes
// come back as the controller's toasts, selection and scrolling.
class ItemTransfer : public QObject
{
    Q_OBJECT

public:
    // The preview windows are made on `engine`, the application's.
    ItemTransfer(NotchController &controller, StashStore &store, QQmlEngine &engine, UserDefaults *defaults,
                 QObject *parent = nullptr);
    ~ItemTransfer() override;

    // Starts answering later `holdra FILE…` invocations; false when another instance has the name.
    bool listenForOtherInstances();

    // Files opened with Holdra: stored, the panel opened and the outcome told.
    void importExternalFiles(const QList<QUrl> &urls);
    void preview(const StashItem &item);

    ItemActions &actions() { return m_actions; }
    // The socket later invocations reach this instance through.
    SingleInstance &instance() { return m_instance; }

Q_SIGNALS:
    // `holdra --settings` from another invocation.
    void settingsRequested();

private:
    NotchController &m_controller;
    StashStore &m_store;
    ItemActions m_actions;
    TextPreviewController m_textPreview;
    QuickLookCoordinator m_quickLook;
    SingleInstance m_instance;
    // Forwarded commands; an `add` copies on the controller's import job like a drop.
    CommandQueue m_commands;
};

} // namespace holdra
