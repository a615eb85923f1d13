import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Holdra

// One active item in the panel's list.
Item {
    id: row

    // From the list model.
    required property int index
    required property string itemId
    required property string kind
    required property string displayName
    required property string note
    required property string notePreview
    required property string subtitle
    required property bool locked
    required property bool isDirectory
    required property bool hasStoredFile
    required property url fileUrl
    required property string fileIconName
    required property string symbolName
    required property double durationSeconds
    required property bool selected
    // The recording is loaded in the player (playing or paused), and plays.
    required property bool audioActive
    required property bool playing
    required property string accessibleName
    // The row the arrow keys are on.
    required property bool current

    required property NotchController controller

    // Row state; a reused row starts over.
    property bool hovering: hoverArea.containsMouse
    property real lastClickAt: 0

    signal editNoteRequested(string itemId, string itemName, string note)

    ListView.onReused: lastClickAt = 0

    readonly property bool isAudioActive: kind === "audio" && audioActive
    readonly property bool isAudioPlaying: isAudioActive && playing
    readonly property bool showsThumbnailAction: {
        if (kind === "text" || kind === "link")
            return false
        if (kind === "audio")
            return hovering || isAudioActive
        return hovering
    }
    readonly property string thumbnailActionSymbol: kind === "audio" ? (isAudioPlaying ? "pause.fill" : "play.fill")
                                                    : isDirectory ? "arrow.up.forward" : "eye.fill"
    readonly property string thumbnailActionTitle: kind === "audio" ? (isAudioPlaying ? "暂停" : "播放")
                                                   : isDirectory ? "打开文件夹" : "快速预览"
    readonly property string primaryActionName: {
        switch (kind) {
        case "text": return "预览原文"
        case "link": return "打开链接"
        case "audio": return isAudioPlaying ? "暂停" : "播放"
        default: return isDirectory ? "打开文件夹" : "快速预览"
        }
    }

    implicitHeight: content.implicitHeight + 2 * PanelStyle.rowVerticalPadding

    function toggleAudio() {
        controller.voiceNotes.togglePlayback(itemId)
    }
    function activate() {
        controller.actions.activateItem(itemId)
    }
    function performPrimaryAction() {
        controller.actions.performPrimaryAction(itemId)
    }
    function performThumbnailAction() {
        if (kind === "audio")
            toggleAudio()
        else if (isDirectory)
            controller.actions.openItem(itemId)
        else if ((kind === "file" || kind === "image") && hasStoredFile)
            controller.actions.previewItem(itemId)
    }
    // A plain click selects; two within the interval activate. A Ctrl click
    // toggles the row in the selection, a Shift click selects the range from
    // the last clicked row; neither counts towards a double click.
    function click(modifiers, now) {
        const additive = (modifiers & Qt.ControlModifier) !== 0
        const range = !additive && (modifiers & Qt.ShiftModifier) !== 0
        if (range)
            controller.selection.selectRange(itemId)
        else
            controller.selection.selectRow(itemId, additive)
        if (!additive && !range && lastClickAt > 0 && now - lastClickAt < PanelStyle.doubleClickInterval) {
            activate()
            lastClickAt = 0
            return
        }
        lastClickAt = now
    }
    function openContextMenu() {
        // Made at the first use: a menu per row would make every shown row,
        // and so every open of the panel, several times dearer.
        if (!contextMenu)
            contextMenu = contextMenuComponent.createObject(row)
        contextMenu.effectiveIds = controller.selection.effectiveItems(itemId)
        contextMenu.popup()
    }
    function editNote() {
        editNoteRequested(itemId, displayName, note)
    }

    Accessible.role: Accessible.ListItem
    Accessible.name: accessibleName
    Accessible.selected: selected
    // Qt Quick names its one action "press"; the description carries the row's own name for it.
    Accessible.description: primaryActionName
    Accessible.onPressAction: performPrimaryAction()

    Rectangle {
        anchors.fill: parent
        radius: PanelStyle.rowCornerRadius
        color: row.selected ? PanelStyle.withOpacity(PanelStyle.accent, PanelStyle.selectedFillOpacity)
             : row.hovering ? PanelStyle.withOpacity(PanelStyle.primary, PanelStyle.hoverFillOpacity)
             : "transparent"
        border.width: row.current ? 2 : 1
        border.color: row.selected || row.current
                      ? PanelStyle.withOpacity(PanelStyle.accent, PanelStyle.selectedOutlineOpacity)
                      : "transparent"
    }

    MouseArea {
        id: hoverArea
        objectName: "rowMouseArea"
        anchors.fill: parent
        hoverEnabled: true
        acceptedButtons: Qt.LeftButton | Qt.RightButton
        // A press that moves far enough drags the row out; the list must not take it as a flick.
        preventStealing: true
        property point pressedAt
        property bool dragStarted: false
        onPressed: mouse => { pressedAt = Qt.point(mouse.x, mouse.y); dragStarted = false }
        onPositionChanged: mouse => {
            if (!pressed || dragStarted || !(pressedButtons & Qt.LeftButton))
                return
            if (Math.hypot(mouse.x - pressedAt.x, mouse.y - pressedAt.y) < Qt.styleHints.startDragDistance)
                return
            dragStarted = true
            row.controller.actions.dragItems(row.itemId, row)
        }
        onClicked: mouse => {
            if (mouse.button === Qt.RightButton)
                row.openContextMenu()
            else
                row.click(mouse.modifiers, Date.now())
        }
    }

    RowLayout {
        id: content
        anchors.fill: parent
        anchors.leftMargin: PanelStyle.rowHorizontalPadding
        anchors.rightMargin: PanelStyle.rowHorizontalPadding
        anchors.topMargin: PanelStyle.rowVerticalPadding
        anchors.bottomMargin: PanelStyle.rowVerticalPadding
        spacing: PanelStyle.rowSpacing

        Item {
            Layout.preferredWidth: PanelStyle.thumbnailSize
            Layout.preferredHeight: PanelStyle.thumbnailSize
            Layout.alignment: Qt.AlignVCenter

            ItemThumbnail {
                anchors.fill: parent
                kind: row.kind
                hasStoredFile: row.hasStoredFile
                fileUrl: row.fileUrl
                fileIconName: row.fileIconName
                symbolName: row.symbolName
            }
            AbstractButton {
                id: thumbnailAction
                objectName: "thumbnailAction"
                anchors.fill: parent
                // Shown by opacity alone: Qt Quick does not hand the pointer to a
                // button whose visibility follows the hover it is receiving.
                visible: row.kind !== "text" && row.kind !== "link"
                opacity: row.showsThumbnailAction ? 1 : 0
                Behavior on opacity { NumberAnimation { duration: PanelStyle.thumbnailActionDuration; easing.type: Easing.OutQuad } }
                hoverEnabled: true
                focusPolicy: Qt.NoFocus
                Accessible.name: PanelTexts.actionOn(row.thumbnailActionTitle, row.displayName)
                ToolTip.visible: hovered
                ToolTip.text: row.thumbnailActionTitle
                ToolTip.delay: 600
                onClicked: row.performThumbnailAction()
                background: Rectangle {
                    radius: PanelStyle.thumbnailCornerRadius
                    color: Qt.rgba(0, 0, 0, PanelStyle.thumbnailActionOpacity)
                }
                contentItem: Item {
                    TintedIcon {
                        anchors.centerIn: parent
                        name: row.thumbnailActionSymbol
                        color: "white"
                        width: PanelStyle.thumbnailActionIconSize
                        height: PanelStyle.thumbnailActionIconSize
                    }
                }
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignVCenter
            spacing: PanelStyle.rowTextSpacing

            Text {
                objectName: "rowName"
                Layout.fillWidth: true
                text: row.displayName
                elide: Text.ElideMiddle
                maximumLineCount: 1
                color: PanelStyle.primary
                font.family: PanelStyle.fontFamily
                font.pixelSize: PanelStyle.nameSize
                font.weight: PanelStyle.nameWeight
            }
            Row {
                visible: row.notePreview.length > 0
                Layout.fillWidth: true
                spacing: 3
                TintedIcon {
                    name: "note.text"
                    color: notePreviewText.color
                    width: PanelStyle.noteSize
                    height: PanelStyle.noteSize
                    anchors.verticalCenter: parent.verticalCenter
                }
                Text {
                    id: notePreviewText
                    objectName: "rowNote"
                    width: parent.width - PanelStyle.noteSize - 3
                    text: row.notePreview
                    elide: Text.ElideRight
                    maximumLineCount: 1
                    color: PanelStyle.withOpacity(PanelStyle.primary, PanelStyle.noteOpacity)
                    font.family: PanelStyle.fontFamily
                    font.pixelSize: PanelStyle.noteSize
                    font.weight: PanelStyle.noteWeight
                }
            }
            Text {
                objectName: "rowSubtitle"
                visible: !row.isAudioActive
                Layout.fillWidth: true
                text: row.subtitle
                elide: Text.ElideRight
                maximumLineCount: 1
                color: PanelStyle.secondary
                font.family: PanelStyle.fontFamily
                font.pixelSize: PanelStyle.subtitleSize
            }
            Loader {
                objectName: "progressRow"
                active: row.isAudioActive
                visible: active
                // Read across the component's boundary: Qt 6.4's Loader cannot make bound components.
                sourceComponent: AudioProgressRow { player: row.controller.voiceNotes.player } // qmllint disable unqualified
            }
        }

        TintedIcon {
            objectName: "lockBadge"
            visible: row.locked
            Layout.preferredWidth: PanelStyle.lockSize
            Layout.preferredHeight: PanelStyle.lockSize
            Layout.leftMargin: PanelStyle.rowMinimumGap
            Layout.alignment: Qt.AlignVCenter
            name: "lock.fill"
            color: PanelStyle.tertiary
            Accessible.name: "已锁定"
            ToolTip.visible: lockHover.hovered
            ToolTip.text: "已锁定，不会被清空"
            HoverHandler { id: lockHover }
        }
        PlainButton {
            objectName: "removeButton"
            // Shown by opacity (see the thumbnail action); it also keeps its place,
            // so the texts do not reflow under the pointer.
            visible: !row.locked
            opacity: row.hovering ? 1 : 0
            Layout.alignment: Qt.AlignVCenter
            Layout.leftMargin: PanelStyle.rowMinimumGap
            symbol: "xmark.circle.fill"
            symbolSize: PanelStyle.removeIconSize
            toolTip: "移到回收站"
            Accessible.name: PanelTexts.removeItemName(row.displayName)
            onClicked: row.controller.actions.removeItems([row.itemId])
        }
    }

    property Menu contextMenu: null
    // The menu reads the row across its component's boundary (see the Loader above).
    // qmllint disable unqualified
    Component {
        id: contextMenuComponent
        Menu {
            id: menu
            objectName: "rowMenu"
            property var effectiveIds: []
            readonly property int effectiveCount: effectiveIds.length
            readonly property bool counted: effectiveCount >= 2
            readonly property bool allLocked: row.controller.stashItems.allLocked(effectiveIds)
            function counting(word) { return PanelTexts.counted(word, effectiveCount) }

            SymbolMenuItem {
                objectName: "menuCopy"
                text: menu.counting("复制")
                symbol: "doc.on.doc"
                onTriggered: row.controller.actions.copyItems(menu.effectiveIds)
            }
            SymbolMenuItem {
                objectName: "menuLock"
                text: menu.counting(menu.allLocked ? "解锁" : "锁定")
                symbol: menu.allLocked ? "lock.open" : "lock"
                onTriggered: row.controller.actions.toggleLock(menu.effectiveIds)
            }
            SymbolMenuItem {
                objectName: "menuNote"
                text: menu.counted ? (row.note.length > 0 ? "编辑此项目备注" : "为此项目添加备注")
                                   : (row.note.length > 0 ? "编辑备注" : "添加备注")
                symbol: "note.text"
                onTriggered: row.editNote()
            }
            SymbolMenuItem {
                objectName: "menuPreviewText"
                visible: row.kind === "text"
                text: "预览原文"
                symbol: "eye"
                onTriggered: row.controller.actions.previewItem(row.itemId)
            }
            SymbolMenuItem {
                objectName: "menuPlay"
                visible: row.kind === "audio"
                text: row.isAudioPlaying ? "暂停" : "播放"
                symbol: row.isAudioPlaying ? "pause.fill" : "play.fill"
                onTriggered: row.toggleAudio()
            }
            SymbolMenuItem {
                objectName: "menuOpen"
                visible: row.kind === "file" || row.kind === "image" || row.kind === "link"
                text: "打开"
                symbol: "arrow.up.forward.app"
                onTriggered: row.controller.actions.openItem(row.itemId)
            }
            SymbolMenuItem {
                objectName: "menuQuickLook"
                visible: row.kind === "file" || row.kind === "image"
                text: "快速预览"
                symbol: "eye"
                onTriggered: if (row.hasStoredFile) row.controller.actions.previewItem(row.itemId)
            }
            SymbolMenuItem {
                objectName: "menuReveal"
                visible: row.kind === "file" || row.kind === "image" || row.kind === "audio"
                text: "在文件管理器中显示"
                symbol: "folder"
                onTriggered: if (row.hasStoredFile) row.controller.actions.revealItem(row.itemId)
            }
            MenuSeparator {}
            SymbolMenuItem {
                objectName: "menuRemove"
                text: menu.counting("移到回收站")
                symbol: "trash"
                destructive: true
                onTriggered: row.controller.actions.removeItems(menu.effectiveIds)
            }
        }
    }
    // qmllint enable unqualified
}
