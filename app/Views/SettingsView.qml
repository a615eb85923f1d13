import QtQuick
import QtQuick.Controls
import Holdra
import QtQuick.Layouts
import QtQuick.Window

// The settings window: every control writes its setting at once; there is
// nothing to apply or cancel.
Window {
    id: window
    required property AppSettings settings
    // Null in builds without the update check.
    required property UpdaterModel updater
    required property ConnectedDisplayList displays
    required property HotKeyRecorder recorder
    required property string versionText
    required property url kelvarnHomepage

    readonly property real defaultPanelWidth: 384

    title: "栖物匣设置"
    width: 480
    height: 500
    minimumWidth: 480
    maximumWidth: 480
    minimumHeight: 500
    maximumHeight: 500
    color: system.window

    SystemPalette { id: system }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        TabBar {
            id: tabs
            objectName: "settingsTabs"
            Layout.fillWidth: true
            TabButton {
                objectName: "tabGeneral"
                text: "通用"
                icon.source: "image://symbol/gearshape"
            }
            TabButton {
                objectName: "tabKelvarn"
                text: "Kelvarn"
                icon.source: "image://symbol/folder.badge.gearshape"
            }
            TabButton {
                objectName: "tabUpdate"
                text: "更新"
                icon.source: "image://symbol/arrow.down.circle"
            }
        }

        StackLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            currentIndex: tabs.currentIndex

            // ------------------------------------------------------------ general
            ScrollView {
                id: generalTab
                contentWidth: availableWidth
                clip: true
                ColumnLayout {
                    width: generalTab.availableWidth - 32
                    x: 16
                    spacing: 16

                    Item { Layout.preferredHeight: 0 }

                    SettingsSection {
                        title: "启动"
                        SettingsSwitchRow {
                            objectName: "launchAtLoginRow"
                            title: "登录时启动"
                            value: window.settings.launchAtLogin
                            onToggledTo: (on) => window.settings.launchAtLogin = on
                        }
                        SettingsSwitchRow {
                            objectName: "enableInFullScreenRow"
                            title: "在全屏应用中显示胶囊"
                            value: window.settings.enableInFullScreen
                            onToggledTo: (on) => window.settings.enableInFullScreen = on
                        }
                        Label {
                            text: "关闭时，胶囊不会覆盖全屏视频或其他全屏内容。"
                            wrapMode: Text.Wrap
                            opacity: 0.7
                            Layout.fillWidth: true
                        }
                    }

                    SettingsSection {
                        title: "反馈"
                        SettingsSwitchRow {
                            objectName: "soundFeedbackRow"
                            title: "声音反馈"
                            value: window.settings.soundFeedback
                            onToggledTo: (on) => window.settings.soundFeedback = on
                        }
                        SettingsSwitchRow {
                            objectName: "animationsRow"
                            title: "动画效果"
                            value: window.settings.animations
                            onToggledTo: (on) => window.settings.animations = on
                        }
                    }

                    SettingsSection {
                        title: "面板"
                        RowLayout {
                            Layout.fillWidth: true
                            Label { text: "宽度"; Layout.fillWidth: true }
                            Label {
                                objectName: "panelWidthText"
                                text: PanelTexts.widthInPixels(window.settings.panelWidth)
                            }
                            LinkButton {
                                objectName: "resetPanelWidth"
                                text: "恢复默认宽度"
                                enabled: window.settings.panelWidth !== window.defaultPanelWidth
                                onClicked: window.settings.panelWidth = window.defaultPanelWidth
                            }
                        }
                        Label {
                            text: "也可以拖动展开面板的左右边缘调整。"
                            wrapMode: Text.Wrap
                            opacity: 0.7
                            Layout.fillWidth: true
                        }
                    }

                    SettingsSection {
                        title: "吸附屏幕"
                        Label {
                            text: "可同时在多块屏幕上显示胶囊，也可以关闭全部胶囊显示。关闭后，托盘图标和全局快捷键仍可打开面板。所选屏幕全部断开时，胶囊会临时显示在默认屏幕上。"
                            wrapMode: Text.Wrap
                            opacity: 0.7
                            Layout.fillWidth: true
                        }
                        Repeater {
                            model: window.displays.displays
                            delegate: SettingsSwitchRow {
                                required property var modelData
                                objectName: "displayRow"
                                symbol: modelData.symbol
                                title: modelData.title
                                caption: modelData.caption
                                value: modelData.enabled
                                onToggledTo: (on) => window.displays.setDisplayEnabled(modelData.id, on)
                            }
                        }
                        Label {
                            objectName: "allDisplaysOffNote"
                            visible: !window.displays.anyEffective
                            text: "关闭后将隐藏所有胶囊；托盘图标和全局快捷键仍可打开面板。"
                            wrapMode: Text.Wrap
                            opacity: 0.7
                            Layout.fillWidth: true
                        }
                        RowLayout {
                            spacing: 8
                            Button {
                                objectName: "resetDisplays"
                                text: "恢复默认显示"
                                enabled: !window.displays.automatic
                                onClicked: window.displays.resetToAutomatic()
                            }
                            Button {
                                objectName: "refreshDisplays"
                                text: "刷新显示器列表"
                                icon.source: "image://symbol/arrow.clockwise"
                                onClicked: window.displays.refresh()
                            }
                        }
                    }

                    SettingsSection {
                        title: "全局快捷键"
                        RowLayout {
                            Layout.fillWidth: true
                            spacing: 8
                            Label { text: "显示 / 隐藏面板"; Layout.fillWidth: true }
                            Button {
                                id: recorderButton
                                objectName: "hotKeyRecorder"
                                // Keys go to the recorder, not to the button's own activation.
                                focusPolicy: Qt.NoFocus
                                text: window.recorder.label
                                implicitWidth: Math.max(96, implicitContentWidth + leftPadding + rightPadding)
                                leftPadding: 12
                                rightPadding: 12
                                ToolTip.visible: hovered
                                ToolTip.delay: 600
                                ToolTip.text: "点击后按下新的快捷键；Esc 取消"
                                background: Rectangle {
                                    radius: 6
                                    color: window.recorder.recording ? system.highlight : system.button
                                    border.color: system.mid
                                }
                                onClicked: window.recorder.toggle()
                            }
                            Button {
                                objectName: "resetHotKey"
                                text: "恢复默认"
                                focusPolicy: Qt.NoFocus
                                onClicked: window.recorder.resetToDefault()
                            }
                        }
                        Label {
                            objectName: "hotKeyHint"
                            visible: text.length > 0
                            text: window.recorder.hintText
                            color: "#d93a2b"
                            wrapMode: Text.Wrap
                            Layout.fillWidth: true
                        }
                    }

                    Item { Layout.preferredHeight: 4 }
                }
            }

            // ------------------------------------------------------------ companion
            ScrollView {
                id: kelvarnTab
                contentWidth: availableWidth
                clip: true
                ColumnLayout {
                    width: kelvarnTab.availableWidth - 32
                    x: 16
                    spacing: 16

                    Item { Layout.preferredHeight: 0 }

                    SettingsSection {
                        RowLayout {
                            spacing: 8
                            TintedIcon {
                                name: "folder.badge.gearshape"
                                color: system.windowText
                                Layout.preferredWidth: 20
                                Layout.preferredHeight: 20
                            }
                            Label {
                                text: "Kelvarn"
                                font.weight: Font.DemiBold
                                font.pointSize: kelvarnDescription.font.pointSize + 1
                            }
                        }
                        Label {
                            id: kelvarnDescription
                            objectName: "kelvarnDescription"
                            text: "Kelvarn 是下载文件整理工具，可按日期归档下载内容，并快速打开当天文件夹。"
                            wrapMode: Text.Wrap
                            opacity: 0.7
                            Layout.fillWidth: true
                        }
                    }

                    SettingsSection {
                        title: "与 Holdra 配合使用"
                        KelvarnFeatureRow {
                            symbol: "folder.fill"
                            title: "从药丸打开今日文件夹"
                            detail: "检测到兼容版本后，收起态药丸会显示文件夹按钮。点击后由 Kelvarn 准备并打开当天归档目录。"
                        }
                        KelvarnFeatureRow {
                            symbol: "doc.on.doc"
                            title: "从 Kelvarn 条目添加到栖物匣-Holdra"
                            detail: "在 Kelvarn 的今日下载、下载文件或整理记录中右键现有文件，即可交给栖物匣-Holdra；复制、去重和保存仍由栖物匣-Holdra 完成。"
                        }
                    }

                    SettingsSection {
                        title: "了解与下载"
                        LinkButton {
                            objectName: "kelvarnHomepageLink"
                            symbol: "globe"
                            text: "访问 Kelvarn 官网"
                            onClicked: Qt.openUrlExternally(window.kelvarnHomepage)
                        }
                    }
                }
            }

            // ------------------------------------------------------------ updates
            ScrollView {
                id: updateTab
                contentWidth: availableWidth
                clip: true
                ColumnLayout {
                    width: updateTab.availableWidth - 32
                    x: 16
                    spacing: 16

                    Item { Layout.preferredHeight: 0 }

                    SettingsSection {
                        title: "版本"
                        RowLayout {
                            Layout.fillWidth: true
                            Label { text: "当前版本"; Layout.fillWidth: true }
                            Label { objectName: "versionText"; text: window.versionText }
                        }
                        RowLayout {
                            Layout.fillWidth: true
                            visible: window.updater !== null
                            Label { text: "上次检查"; Layout.fillWidth: true }
                            Label {
                                objectName: "lastCheckText"
                                text: window.updater ? window.updater.lastCheckText : "从未"
                            }
                        }
                    }

                    SettingsSection {
                        // Builds without the update check have no updater.
                        visible: window.updater !== null
                        RowLayout {
                            spacing: 12
                            Button {
                                objectName: "checkForUpdates"
                                text: "检查更新"
                                onClicked: window.updater.checkForUpdates()
                            }
                            LinkButton {
                                objectName: "changelogLink"
                                text: "查看更新日志"
                                onClicked: window.updater.openChangelog()
                            }
                        }
                        Label {
                            objectName: "updateStatus"
                            visible: text.length > 0
                            text: window.updater ? window.updater.statusText : ""
                            wrapMode: Text.Wrap
                            opacity: 0.7
                            Layout.fillWidth: true
                        }
                    }
                }
            }
        }
    }
}
