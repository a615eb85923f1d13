// The open panel over stashes of 0, 10,000 and 100,000 items: the time from the
// request to the first drawn frame of the panel, at the first open of a
// controller and at later ones, the memory kept from one open to the next, and
// the frames of a list being scrolled. Runs offscreen, against the real
// controller, windows and views.
#include "App/SymbolImageProvider.h"
#include "App/ThumbnailImageProvider.h"
#include "BenchData.h"
#include "Panel/NotchController.h"
#include "Panel/NotchWindow.h"
#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"
#include "Store/StashStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QQmlEngine>
#include <QQmlProperty>
#include <QQuickItem>
#include <QRandomGenerator>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>

Q_IMPORT_QML_PLUGIN(HoldraQmlPlugin)

namespace holdra::bench {
namespace {

constexpr int waitLimitMs = 20000;

// Runs the event loop until `done` holds; false when the limit passed first.
bool spinUntil(const std::function<bool()> &done)
{
    QElapsedTimer limit;
    limit.start();
    // Wakes the loop now and then, so that a condition met without an event is seen.
    QTimer tick;
    tick.start(5);
    while (!done()) {
        if (limit.elapsed() > waitLimitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// The main thread's processor time: on a loaded machine the wall time also
// counts the waits for the processor, this does not.
double threadCpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Timing
{
    double wallMs = 0;
    double cpuMs = 0;
};

double residentMiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toDouble() * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// A support directory of `count` items: texts and links, and every fifth a
// stored file of one of a few types, so that rows draw several file icons.
void writeMixedStash(const QString &supportDirectory, int count)
{
    // Written directly: the storage's own writes are synced, which would make
    // building 100,000 items take minutes.
    const QDir files(QDir(supportDirectory).filePath(QStringLiteral("Files")));
    using namespace Qt::StringLiterals;
    const QStringList extensions{u"pdf"_s, u"png"_s, u"txt"_s, u"zip"_s, u"mp3"_s, u"docx"_s};
    QList<StashItem> items;
    items.reserve(count);
    const QDateTime base(QDate(2026, 3, 1), QTime(8, 0), Qt::UTC);
    for (int i = 0; i < count; ++i) {
        const QDateTime createdAt = base.addSecs(count - i);
        if (i % 5 == 1) {
            items.append(
                StashItem::makeLink(QStringLiteral("https://example.org/page/%1").arg(i), std::nullopt, createdAt));
        } else if (i % 5 != 4) {
            items.append(
                StashItem::makeText(QStringLiteral("Note number %1 about the quarterly plan").arg(i), createdAt));
        } else {
            const QString directory = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
            const QString name = QStringLiteral("file-%1.%2").arg(i).arg(extensions[(i / 5) % extensions.size()]);
            const QByteArray bytes = "stored copy " + QByteArray::number(i);
            QDir().mkpath(files.filePath(directory));
            QFile copy(files.filePath(directory + u'/' + name));
            if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size())
                qFatal("cannot write the benchmark stash");
            copy.close();
            StashItem item = StashItem::makeFile({directory + u'/' + name, bytes.size(), name}, createdAt);
            item.setContentHash(ContentHasher::sha256Hex(copy.fileName()));
            items.append(item);
        }
    }
    QFile metadata(QDir(supportDirectory).filePath(QStringLiteral("metadata.json")));
    if (!metadata.open(QIODevice::WriteOnly) || metadata.write(MetadataCodec::encodeItems(items)) < 0)
        qFatal("cannot write the benchmark stash");
}

// A stash of `count` items and the application's controller over it, on one
// 1920 × 1080 display.
class Shelf
{
public:
    explicit Shelf(int count)
    {
        writeMixedStash(m_dir.path(), count);
        StashStore::Opening opening = StashStore::open(m_dir.path());
        if (!opening.store)
            qFatal("cannot open the benchmark stash: %s", qPrintable(opening.errorMessage));
        m_store = std::move(opening.store);
        // The first drawn frame then shows the whole panel, not the start of a fade.
        m_settings.setAnimations(false);
        m_engine.addImageProvider(QStringLiteral("symbol"), new SymbolImageProvider);
        m_engine.addImageProvider(QStringLiteral("thumbnail"), new ThumbnailImageProvider);
        rebuild();
    }
    ~Shelf() { m_controller.reset(); }

    // A fresh controller with its windows, as at the application's start.
    void rebuild()
    {
        m_controller.reset();
        NotchController::Environment env;
        env.displays = [] {
            NotchDisplay display;
            display.id = QStringLiteral("A");
            display.geometry = QRectF(0, 0, 1920, 1080);
            display.availableGeometry = QRectF(0, 27, 1920, 1053);
            return QList<NotchDisplay>{display};
        };
        env.makeWindow = [this](NotchController &controller, const QString &id) {
            return std::make_unique<NotchWindow>(controller, id, m_engine, nullptr);
        };
        m_controller = std::make_unique<NotchController>(*m_store, m_settings, std::move(env));
    }

    StashStore &store() const { return *m_store; }
    NotchWindow *window() const
    {
        return static_cast<NotchWindow *>(m_controller->windows().window(QStringLiteral("A")));
    }

    QQuickItem *shownView() const
    {
        QQuickItem *root = window() ? window()->rootView() : nullptr;
        return root ? QQmlProperty::read(root, QStringLiteral("shownView")).value<QQuickItem *>() : nullptr;
    }

    // The open panel's list, once it is there.
    QQuickItem *list() const
    {
        QQuickItem *panel = m_controller->isOpen() ? shownView() : nullptr;
        QQuickItem *loader = panel ? panel->findChild<QQuickItem *>(QStringLiteral("stashList")) : nullptr;
        return loader ? loader->property("item").value<QQuickItem *>() : nullptr;
    }

    bool panelShown() const
    {
        QQuickItem *panel = m_controller->isOpen() ? shownView() : nullptr;
        if (!panel || !panel->findChild<QQuickItem *>(QStringLiteral("panelBackground")))
            return false;
        return m_store->count() == 0 || list() != nullptr;
    }

    // From the request to the first swapped frame that shows the panel.
    Timing open()
    {
        const double cpuBefore = threadCpuMs();
        QElapsedTimer timer;
        qint64 shownAt = -1;
        double cpuAt = 0;
        // Work that the frame sets off after it was drawn is not what the user waited for.
        const QMetaObject::Connection frames = QObject::connect(window(), &QQuickWindow::frameSwapped, window(), [&] {
            if (shownAt < 0 && panelShown()) {
                shownAt = timer.nsecsElapsed();
                cpuAt = threadCpuMs();
            }
        });
        timer.start();
        m_controller->open(QStringLiteral("A"));
        const bool shown = spinUntil([&] { return shownAt >= 0; });
        QObject::disconnect(frames);
        if (!shown)
            qFatal("the panel did not open");
        return {double(shownAt) / 1e6, cpuAt - cpuBefore};
    }

    void close()
    {
        m_controller->close(false);
        if (!spinUntil([&] { return !m_controller->isOpen() && shownView() && !list(); }))
            qFatal("the panel did not close");
        // The view's objects go on the next turns of the loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    // From moving the list to `contentY` to the swapped frame that shows it.
    Timing scrollTo(double contentY)
    {
        const double cpuBefore = threadCpuMs();
        QQuickItem *view = list();
        QElapsedTimer timer;
        qint64 drawnAt = -1;
        const QMetaObject::Connection frames =
            QObject::connect(window(), &QQuickWindow::frameSwapped, window(), [&] { drawnAt = timer.nsecsElapsed(); });
        timer.start();
        view->setProperty("contentY", contentY);
        const bool drawn = spinUntil([&] { return drawnAt >= 0; });
        QObject::disconnect(frames);
        if (!drawn)
            qFatal("the list did not redraw");
        return {double(drawnAt) / 1e6, threadCpuMs() - cpuBefore};
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<StashStore> m_store;
    InMemoryUserDefaults m_defaults;
    AppSettings m_settings{m_defaults};
    QQmlEngine m_engine;
    std::unique_ptr<NotchController> m_controller;
};

// Building a stash of 100,000 items takes seconds: each size is built once.
std::map<int, std::unique_ptr<Shelf>> *shelves = nullptr;

Shelf &shelfOf(int count)
{
    std::unique_ptr<Shelf> &shelf = (*shelves)[count];
    if (!shelf)
        shelf = std::make_unique<Shelf>(count);
    return *shelf;
}

// The first open after start: a fresh controller each time, over the same store.
void BM_PanelFirstOpen(benchmark::State &state)
{
    Shelf &shelf = shelfOf(int(state.range(0)));
    double slowest = 0;
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        shelf.rebuild();
        state.ResumeTiming();
        const Timing opened = shelf.open();
        slowest = std::max(slowest, opened.wallMs);
        cpu += opened.cpuMs;
        state.SetIterationTime(opened.wallMs / 1e3);
        state.PauseTiming();
        shelf.close();
        state.ResumeTiming();
    }
    state.counters["slowest_ms"] = slowest;
    state.counters["cpu_ms"] = cpu / double(state.iterations());
}

// Every later open of the same controller, and the memory held across them.
void BM_PanelLaterOpen(benchmark::State &state)
{
    Shelf &shelf = shelfOf(int(state.range(0)));
    shelf.rebuild();
    shelf.open();
    shelf.close();
    const double before = residentMiB();
    double slowest = 0;
    double cpu = 0;
    for (auto _ : state) {
        const Timing opened = shelf.open();
        slowest = std::max(slowest, opened.wallMs);
        cpu += opened.cpuMs;
        state.SetIterationTime(opened.wallMs / 1e3);
        shelf.close();
    }
    state.counters["slowest_ms"] = slowest;
    state.counters["cpu_ms"] = cpu / double(state.iterations());
    state.counters["rss_after_first_MiB"] = before;
    state.counters["rss_after_last_MiB"] = residentMiB();
}

// Steady scrolling (three rows a frame, as a fast wheel) and far jumps (a
// dragged scroll bar) through the list; each iteration is one frame.
void BM_ScrollFrame(benchmark::State &state)
{
    const bool jumps = state.range(1) != 0;
    Shelf &shelf = shelfOf(int(state.range(0)));
    shelf.open();
    QQuickItem *view = shelf.list();
    if (!view)
        qFatal("no list to scroll");
    QRandomGenerator random(23);
    std::vector<double> frames;
    std::vector<double> cpu;
    double y = 0;
    for (auto _ : state) {
        const double range = std::max(0.0, view->property("contentHeight").toDouble() - view->height());
        y = jumps ? random.bounded(range) : std::fmod(y + 3 * 64, range);
        const Timing frame = shelf.scrollTo(y);
        frames.push_back(frame.wallMs);
        cpu.push_back(frame.cpuMs);
        state.SetIterationTime(frame.wallMs / 1e3);
    }
    std::sort(frames.begin(), frames.end());
    std::sort(cpu.begin(), cpu.end());
    state.counters["median_ms"] = frames[frames.size() / 2];
    state.counters["p95_ms"] = frames[frames.size() * 95 / 100];
    state.counters["slowest_ms"] = frames.back();
    state.counters["cpu_median_ms"] = cpu[cpu.size() / 2];
    state.counters["cpu_p95_ms"] = cpu[cpu.size() * 95 / 100];
    shelf.close();
}

// What the controller's list does for each change the store publishes, the
// panel closed or not: here a change that leaves every item as it was, so that
// only the comparison of the whole list is measured.
void BM_ListFollowsAStoreChange(benchmark::State &state)
{
    Shelf &shelf = shelfOf(int(state.range(0)));
    for (auto _ : state)
        Q_EMIT shelf.store().itemsChanged();
}

BENCHMARK(BM_PanelFirstOpen)
    ->Arg(0)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PanelLaterOpen)
    ->Arg(0)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListFollowsAStoreChange)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollFrame)
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Iterations(200)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace holdra::bench

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::map<int, std::unique_ptr<holdra::bench::Shelf>> made;
    holdra::bench::shelves = &made;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    made.clear();
    return 0;
}
