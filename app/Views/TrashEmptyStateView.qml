import QtQuick
import Holdra

EmptyStateView {
    symbol: "trash"
    title: "回收站是空的"
    message: "清除的项目会在这里保留 30 天"
}
