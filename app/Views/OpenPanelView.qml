import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Holdra

// The open panel of one display: header, the stash or the trash, footer, the
// quick-entry field, the toast and the two resize edges. It keeps no item data;
// every button calls the controller. A plain item, not a focus scope, so that
// taking the focus back from the field lands on the panel's own key handling.
Item {
    id: panel

    required property NotchController controller
    required property string displayID

    readonly property StashStore store: controller.store
    readonly property bool showingTrash: controller.isShowingTrash
    readonly property int selectionCount: controller.selection.count
    readonly property RecordingController recorder: controller.voiceNotes.recorder
    readonly property bool isRecording: recorder !== null && recorder.isRecording
    property bool confirmingClear: false

    // The controller's lists, which outlive the panel.
    readonly property StashItemListModel stashItems: controller.stashItems
    readonly property TrashItemListModel trashItems: controller.trashItems
    readonly property int itemCount: stashItems.count
    readonly property int trashCount: trashItems.count
    readonly property PanelSearch search: controller.search
    readonly property bool searching: search.isActive && !showingTrash
    readonly property bool filtering: search.results.isFiltering
    // The rows the search lets through; all of them without a query.
    readonly property int shownCount: filtering ? search.results.count : itemCount
    readonly property bool allSelected: shownCount > 0 && selectionCount === shownCount
    readonly property string clearAllMessage: PanelTexts.clearAllMessage(itemCount - stashItems.lockedCount,
                                                                         stashItems.lockedCount)

    focus: true
    clip: false

    function toggleSelectAll() {
        if (allSelected)
            controller.selection.clear()
        else
            controller.selection.selectAll()
    }
    function editNote(itemId, itemName, note) {
        noteEditor.itemId = itemId
        noteEditor.itemName = itemName
        noteEditor.initialNote = note
        noteEditor.open()
    }
    function scrollToRequestedRow() {
        if (showingTrash)
            return
        const rows = filtering ? search.results : stashItems
        const target = controller.selection.scrollTargetItemID.length > 0
            ? controller.selection.scrollTargetItemID
            : (rows && rows.count > 0 ? rows.data(rows.index(0, 0), StashItemListModel.ItemIdRole) : "")
        if (target.length === 0 || !stashList.item)
            return
        stashList.item.scrollToId(target)
    }

    // The keys of the open panel are the controller's table, which the window
    // consults before the focused item; only the keyboard's focus is handled here.
    function focusQuickEntry() {
        if (quickEntry.item)
            (quickEntry.item as QuickEntryField).takeFocus()
    }

    Connections {
        target: panel.controller
        function onQuickEntryFocusRequested() { panel.focusQuickEntry() }
    }
    Connections {
        target: panel.search
        function onFocusRequested() { if (searchLine.item) (searchLine.item as SearchField).takeFocus() }
        function onDismissed() { panel.forceActiveFocus() }
    }
    // The list follows the keyboard's row.
    Connections {
        target: panel.controller.selection
        function onScrollToTopRequested() { panel.scrollToRequestedRow() }
        function onCurrentChanged() {
            const id = panel.controller.selection.currentID
            if (id.length > 0 && stashList.item)
                (stashList.item as PanelList).showId(id)
        }
    }

    BottomRoundedRectangle {
        id: background
        objectName: "panelBackground"
        anchors.fill: parent
        radius: PanelStyle.panelCornerRadius
        color: PanelStyle.material
        strokeColor: panel.controller.isDropTargeted
                     ? PanelStyle.accent : PanelStyle.withOpacity(PanelStyle.primary, PanelStyle.outlineOpacity)
        strokeWidth: panel.controller.isDropTargeted ? PanelStyle.dropOutlineWidth : PanelStyle.outlineWidth
    }

    ImportProgressBar {
        job: panel.controller.importJob
        z: 1
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: PanelStyle.panelCornerRadius
        anchors.bottomMargin: 3
    }

    // Clicking the panel's empty parts takes the keys back from the field.
    MouseArea {
        anchors.fill: parent
        onPressed: mouse => { panel.forceActiveFocus(); mouse.accepted = false }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        // Header
        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: PanelStyle.headerHorizontalPadding
            Layout.rightMargin: PanelStyle.headerHorizontalPadding
            Layout.topMargin: PanelStyle.headerVerticalPadding
            Layout.bottomMargin: PanelStyle.headerVerticalPadding
            spacing: PanelStyle.headerSpacing

            Text {
                objectName: "title"
                text: panel.showingTrash ? "回收站" : "栖物匣"
                color: PanelStyle.primary
                font.family: PanelStyle.fontFamily
                font.pixelSize: PanelStyle.headlineSize
                font.weight: PanelStyle.headlineWeight
            }
            PlainButton {
                objectName: "microphoneButton"
                visible: !panel.showingTrash
                symbol: panel.isRecording ? "stop.circle.fill" : "mic"
                symbolColor: panel.isRecording ? PanelStyle.red : PanelStyle.secondary
                symbolSize: PanelStyle.microphoneIconSize
                label: panel.isRecording ? PanelTexts.recordingLabel(panel.recorder.elapsedSeconds) : ""
                labelColor: PanelStyle.primary
                // Even-width digits keep the ticking clock from jittering.
                labelFamily: PanelStyle.monospaceFamily
                toolTip: panel.isRecording ? "停止录音并暂存" : "开始录音"
                Accessible.name: toolTip
                onClicked: panel.controller.voiceNotes.toggleRecording("")
            }
            Item { Layout.fillWidth: true }
            PlainButton {
                objectName: "searchButton"
                visible: !panel.showingTrash
                symbol: "magnifyingglass"
                symbolColor: panel.searching ? PanelStyle.accent : PanelStyle.secondary
                toolTip: "搜索（Ctrl+F）"
                Accessible.name: "搜索"
                onClicked: {
                    if (panel.searching)
                        panel.search.dismiss()
                    else
                        panel.search.begin()
                }
            }
            PlainButton {
                objectName: "trashToggle"
                symbol: panel.showingTrash ? "tray" : "trash"
                label: !panel.showingTrash && panel.trashCount > 0 ? String(panel.trashCount) : ""
                labelSize: PanelStyle.caption2Size
                labelWeight: Font.DemiBold
                toolTip: panel.showingTrash ? "返回暂存" : "查看回收站"
                Accessible.name: panel.showingTrash ? "返回暂存" : PanelTexts.trashToggleName(panel.trashCount)
                onClicked: panel.controller.showTrash(!panel.showingTrash)
            }
            // What the tray menu offers, for desktops that have no tray.
            PlainButton {
                objectName: "appMenuButton"
                symbol: "gearshape"
                toolTip: "栖物匣菜单"
                Accessible.name: toolTip
                onClicked: appMenu.popup(this, 0, height)
                Menu {
                    id: appMenu
                    objectName: "appMenu"
                    SymbolMenuItem {
                        objectName: "appMenuSettings"
                        text: "设置…"
                        symbol: "gearshape"
                        onTriggered: panel.controller.settingsRequested()
                    }
                    SymbolMenuItem {
                        objectName: "appMenuUpdate"
                        text: "检查更新…"
                        symbol: "arrow.down.circle"
                        visible: panel.controller.updateCheckAvailable
                        onTriggered: panel.controller.updateCheckRequested()
                    }
                    SymbolMenuItem {
                        objectName: "appMenuQuit"
                        text: "退出栖物匣"
                        symbol: "xmark.circle.fill"
                        onTriggered: panel.controller.quitRequested()
                    }
                }
            }
            PlainButton {
                objectName: "collapseButton"
                symbol: "chevron.up"
                toolTip: "收起"
                Accessible.name: "收起面板"
                onClicked: panel.controller.close(false)
            }
        }

        Loader {
            id: searchLine
            objectName: "searchLine"
            Layout.fillWidth: true
            active: panel.searching
            visible: active
            // Qt 6.4's Loader cannot make a component bound to its file
            // (ComponentBehavior: Bound), so these components read the file's ids.
            // qmllint disable unqualified
            sourceComponent: SearchField {
                controller: panel.controller
                onLeaveRequested: selectFirst => {
                    panel.forceActiveFocus()
                    if (selectFirst && panel.shownCount > 0)
                        panel.controller.handleKey(Qt.Key_Home, Qt.NoModifier, "")
                }
            }
            // qmllint enable unqualified
        }

        PanelDivider { Layout.fillWidth: true }

        // Content
        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true

            TrashEmptyStateView {
                objectName: "trashEmptyState"
                anchors.centerIn: parent
                visible: panel.showingTrash && panel.trashCount === 0
            }
            EmptyStateView {
                objectName: "emptyState"
                anchors.centerIn: parent
                visible: !panel.showingTrash && panel.itemCount === 0
            }
            Text {
                objectName: "noMatches"
                anchors.centerIn: parent
                visible: !panel.showingTrash && panel.itemCount > 0 && panel.shownCount === 0
                text: "没有匹配的项目"
                color: PanelStyle.secondary
                font.family: PanelStyle.fontFamily
                font.pixelSize: PanelStyle.captionSize + 2
            }
            // The lists lie between the resize edges, so their scroll bars can be dragged.
            // qmllint disable unqualified
            Loader {
                id: stashList
                objectName: "stashList"
                anchors.fill: parent
                anchors.leftMargin: PanelStyle.handleWidth
                anchors.rightMargin: PanelStyle.handleWidth
                active: !panel.showingTrash && panel.itemCount > 0
                sourceComponent: PanelList {
                    // The stash's own model unless a query is in force, so that
                    // moves and insertions animate as they always have.
                    model: panel.filtering ? panel.search.results : panel.stashItems
                    onHeightChanged: panel.controller.listPageRows = pageRows
                    Component.onCompleted: panel.controller.listPageRows = pageRows
                    delegate: StashItemRow {
                        x: PanelStyle.listPadding - PanelStyle.handleWidth
                        width: ListView.view.width - x - PanelStyle.listPadding
                        controller: panel.controller
                        onEditNoteRequested: (itemId, itemName, note) => panel.editNote(itemId, itemName, note)
                    }
                }
            }
            Loader {
                id: trashList
                objectName: "trashList"
                anchors.fill: parent
                anchors.leftMargin: PanelStyle.handleWidth
                anchors.rightMargin: PanelStyle.handleWidth
                active: panel.showingTrash && panel.trashCount > 0
                sourceComponent: PanelList {
                    model: panel.trashItems
                    delegate: TrashItemRow {
                        x: PanelStyle.listPadding - PanelStyle.handleWidth
                        width: ListView.view.width - x - PanelStyle.listPadding
                        controller: panel.controller
                    }
                }
            }
            // qmllint enable unqualified
        }

        PanelDivider { Layout.fillWidth: true }

        // Footer
        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: PanelStyle.footerHorizontalPadding
            Layout.rightMargin: PanelStyle.footerHorizontalPadding
            Layout.topMargin: PanelStyle.footerVerticalPadding
            Layout.bottomMargin: PanelStyle.footerVerticalPadding
            spacing: PanelStyle.footerSpacing

            PlainButton {
                objectName: "selectAllToggle"
                visible: !panel.showingTrash && panel.shownCount > 0
                label: panel.allSelected ? "取消全选" : "全选"
                labelColor: PanelStyle.secondary
                toolTip: panel.allSelected ? "取消全部选择" : "选择全部项目（Ctrl+A）"
                onClicked: panel.toggleSelectAll()
            }
            Text {
                objectName: "footerText"
                text: panel.showingTrash
                      ? PanelTexts.trashFooter(panel.trashCount, panel.store.trashByteSizeText)
                      : PanelTexts.stashFooter(panel.itemCount, panel.store.activeByteSizeText, panel.selectionCount,
                                               panel.filtering, panel.shownCount)
                color: PanelStyle.secondary
                font.family: PanelStyle.fontFamily
                font.pixelSize: PanelStyle.captionSize
            }
            Item { Layout.fillWidth: true }
            PlainButton {
                objectName: "restoreAllButton"
                visible: panel.showingTrash && panel.trashCount > 0
                symbol: "arrow.uturn.backward"
                symbolSize: PanelStyle.footerIconSize
                label: "全部恢复"
                onClicked: panel.controller.actions.restoreAllFromTrash()
            }
            PlainButton {
                objectName: "copyButton"
                visible: !panel.showingTrash && panel.selectionCount > 0
                symbol: "doc.on.doc"
                symbolSize: PanelStyle.footerIconSize
                label: "复制"
                toolTip: "复制所选（Ctrl+C）"
                onClicked: panel.controller.actions.copySelection()
            }
            PlainButton {
                objectName: "deleteButton"
                visible: !panel.showingTrash && panel.selectionCount > 0
                symbol: "trash"
                symbolSize: PanelStyle.footerIconSize
                label: "移到回收站"
                toolTip: "将所选移到回收站"
                onClicked: panel.controller.actions.deleteSelection()
            }
            PlainButton {
                objectName: "clearButton"
                visible: !panel.showingTrash && panel.selectionCount === 0
                enabled: panel.itemCount > 0
                symbol: "trash"
                symbolSize: PanelStyle.footerIconSize
                label: "清空"
                onClicked: panel.confirmingClear = true
            }
        }

        PanelDivider {
            Layout.fillWidth: true
            visible: !panel.showingTrash
        }
        Loader {
            id: quickEntry
            objectName: "quickEntryLoader"
            Layout.fillWidth: true
            active: !panel.showingTrash
            visible: active
            sourceComponent: QuickEntryField {
                controller: panel.controller // qmllint disable unqualified
                onLeaveRequested: panel.forceActiveFocus() // qmllint disable unqualified
            }
        }
    }

    // Toast
    ToastView {
        id: toast
        objectName: "toast"
        readonly property string message: panel.controller.toasts.message
        property string shownText
        text: shownText
        isError: panel.controller.toasts.isError
        anchors.horizontalCenter: parent.horizontalCenter
        y: parent.height - height - PanelStyle.toastBottomPadding + (visibleState ? 0 : 12)
        opacity: visibleState ? 1 : 0
        visible: opacity > 0
        readonly property bool visibleState: message.length > 0
        // The last text stays while it fades out.
        onMessageChanged: if (message.length > 0) shownText = message
        Behavior on opacity { NumberAnimation { duration: PanelStyle.toastDuration; easing.type: Easing.InOutQuad } }
        Behavior on y { NumberAnimation { duration: PanelStyle.toastDuration; easing.type: Easing.InOutQuad } }
    }

    HorizontalPanelResizeHandle {
        objectName: "leadingHandle"
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        edge: "leading"
        controller: panel.controller
    }
    HorizontalPanelResizeHandle {
        objectName: "trailingHandle"
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        edge: "trailing"
        controller: panel.controller
    }

    NoteEditor {
        id: noteEditor
        objectName: "noteEditor"
        property string itemId
        parent: panel
        onSaved: note => panel.stashItems.setNote(itemId, note)
    }

    ClearAllConfirmation {
        id: confirmation
        objectName: "clearConfirmation"
        parent: panel
        message: panel.clearAllMessage
        visible: panel.confirmingClear
        onConfirmed: panel.controller.actions.clearAll()
        onClosed: panel.confirmingClear = false
    }
}
