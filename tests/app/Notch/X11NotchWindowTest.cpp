#include "Notch/NotchController.h"
#include "Notch/NotchWindow.h"
#include "Platform/X11PanelWindowHints.h"
#include "Platform/X11Session.h"
#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"
#include "StoreFixture.h"

#include <QGuiApplication>
#include <QProcess>
#include <QQmlEngine>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace holdra::test {
namespace {

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(5000);
    return QString::fromLatin1(process.readAllStandardOutput());
}

// Where the X server has the window, as xwininfo reports it.
QRect serverGeometry(const QWindow &window)
{
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window.winId())});
    const auto number = [&](const QString &label) {
        const qsizetype at = info.indexOf(label);
        return at < 0 ? -1 : info.mid(at + label.size()).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
    };
    return {number(QStringLiteral("Absolute upper-left X:")), number(QStringLiteral("Absolute upper-left Y:")),
            number(QStringLiteral("Width:")), number(QStringLiteral("Height:"))};
}

bool acceptsFocus(const QWindow &window)
{
    const QString hints = run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window.winId()),
                                                        QStringLiteral("WM_HINTS")});
    return hints.contains(QStringLiteral("accepts input or input focus: True"));
}

void xdotool(const QStringList &arguments)
{
    run(QStringLiteral("xdotool"), arguments);
}

// Two displays side by side, each half of the private X server's screen, with
// real windows and views; the controller's rules meet openbox here.
class X11NotchWindowTest : public StoreFixture
{
protected:
    void SetUp() override
    {
        if (!X11Session::isAvailable())
            GTEST_SKIP() << "no X server";
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        m_half = screen.width() / 2;
        m_displays = {display(QStringLiteral("L"), QRectF(0, 0, m_half, screen.height())),
                      display(QStringLiteral("R"), QRectF(m_half, 0, m_half, screen.height()))};
        m_settings.setDisplayAttachmentSelection(
            DisplayAttachmentSelection::selected({QStringLiteral("L"), QStringLiteral("R")}));
        openStore();
        m_hints = std::make_unique<X11PanelWindowHints>();
        NotchController::Environment env;
        env.displays = [this] { return m_displays; };
        env.makeWindow = [this](NotchController &controller, const QString &id) {
            return std::make_unique<NotchWindow>(controller, id, m_engine, m_hints.get());
        };
        env.watchOutsideClicks = true;
        m_controller = std::make_unique<NotchController>(*m_store, m_settings, std::move(env));
    }

    static NotchDisplay display(const QString &id, const QRectF &geometry)
    {
        NotchDisplay d;
        d.id = id;
        d.geometry = geometry;
        d.availableGeometry = geometry;
        d.screen = QGuiApplication::primaryScreen();
        return d;
    }

    NotchWindow &window(const QString &id) const
    {
        return *static_cast<NotchWindow *>(m_controller->window(id));
    }

    bool waitForGeometry(const QString &id, const QRect &expected) const
    {
        return QTest::qWaitFor([&] { return serverGeometry(window(id)) == expected; }, 5000);
    }

    QRect closedFrame(double centreX) const { return QRect(int(std::round(centreX - 95)), 0, 190, 34); }

    int m_half = 0;
    QList<NotchDisplay> m_displays;
    InMemoryUserDefaults m_defaults;
    AppSettings m_settings{m_defaults};
    QQmlEngine m_engine;
    std::unique_ptr<X11PanelWindowHints> m_hints;
    std::unique_ptr<NotchController> m_controller;
};

TEST_F(X11NotchWindowTest, CapsulesSitAtTheTopCentreOfEachDisplayWithoutTakingFocus)
{
    EXPECT_TRUE(waitForGeometry(QStringLiteral("L"), closedFrame(m_half / 2.0)));
    EXPECT_TRUE(waitForGeometry(QStringLiteral("R"), closedFrame(m_half * 1.5)));
    EXPECT_FALSE(acceptsFocus(window(QStringLiteral("L"))));
    ASSERT_NE(window(QStringLiteral("L")).rootView(), nullptr) << "the capsule view loads";
    // The whole closed window takes clicks and drags, not only the drawn capsule.
    EXPECT_TRUE(window(QStringLiteral("L")).mask().isEmpty());
}

TEST_F(X11NotchWindowTest, OpeningTakesTheFocusAndEscapeClosesAgain)
{
    ASSERT_TRUE(waitForGeometry(QStringLiteral("R"), closedFrame(m_half * 1.5)));
    // A click on the capsule's invisible surroundings opens, like a click on the capsule.
    xdotool({QStringLiteral("mousemove"), QString::number(int(m_half * 1.5)), QStringLiteral("10"),
             QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_controller->isOpenOn(QStringLiteral("R")); }, 5000));
    const QRect open(int(std::round(m_half * 1.5 - 192)), 0, 384, 470);
    EXPECT_TRUE(waitForGeometry(QStringLiteral("R"), open));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window(QStringLiteral("R")).isActive(); }, 5000));
    EXPECT_TRUE(acceptsFocus(window(QStringLiteral("R"))));
    // Cut to the panel's outline: square at the top, rounded at the bottom.
    const QRegion shape = window(QStringLiteral("R")).mask();
    EXPECT_EQ(shape.boundingRect(), QRect(0, 0, 384, 470));
    EXPECT_TRUE(shape.contains(QPoint(0, 0)) && shape.contains(QPoint(383, 0)) && shape.contains(QPoint(192, 469)));
    EXPECT_FALSE(shape.contains(QPoint(1, 468)) || shape.contains(QPoint(382, 468)));

    xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_controller->isOpen(); }, 5000));
    EXPECT_TRUE(waitForGeometry(QStringLiteral("R"), closedFrame(m_half * 1.5)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !acceptsFocus(window(QStringLiteral("R"))); }, 5000));
}

TEST_F(X11NotchWindowTest, AClickOnTheDesktopClosesButAClickOnAnotherCapsuleMovesThePanel)
{
    ASSERT_TRUE(waitForGeometry(QStringLiteral("L"), closedFrame(m_half / 2.0)));
    m_controller->open(QStringLiteral("L"));
    ASSERT_TRUE(waitForGeometry(QStringLiteral("L"), QRect(int(std::round(m_half / 2.0 - 192)), 0, 384, 470)));

    xdotool({QStringLiteral("mousemove"), QString::number(int(m_half * 1.5)), QStringLiteral("10"),
             QStringLiteral("click"), QStringLiteral("1")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_controller->isOpenOn(QStringLiteral("R")); }, 5000));
    EXPECT_TRUE(waitForGeometry(QStringLiteral("L"), closedFrame(m_half / 2.0)));

    xdotool({QStringLiteral("mousemove"), QStringLiteral("20"), QStringLiteral("700"), QStringLiteral("click"),
             QStringLiteral("1")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_controller->isOpen(); }, 5000));
}

} // namespace
} // namespace holdra::test
