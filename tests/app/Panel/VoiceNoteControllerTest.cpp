#include "ControllerFixture.h"

#include <QFile>

namespace holdra::test {
namespace {

using Sound = SystemSound::Sound;
using VoiceNoteControllerTest = ControllerFixture;

TEST_F(VoiceNoteControllerTest, AVoiceNoteStopsPlaybackAndEndsSelectedInThePanelOfItsDisplay)
{
    NotchController &c = controller();
    VoiceNoteController &v = *c.voiceNotes();
    RecordingController &r = recorder();
    // Too short to keep: a beep, nothing to read, no panel.
    v.toggleRecording(QString());
    m_recorderState->currentTime = 0.2;
    v.toggleRecording(QString());
    ASSERT_TRUE(waitFor([&] { return !m_sounds.isEmpty(); }));
    EXPECT_EQ(m_sounds, QList<Sound>{Sound::Alert});
    EXPECT_FALSE(toast() || c.isOpen());

    const StashItem earlier = addAudio("earlier");
    v.togglePlayback(idOf(earlier));
    ASSERT_TRUE(v.player()->isPlaying());
    v.toggleRecording(u"B"_s);
    EXPECT_TRUE(r.isRecording());
    EXPECT_TRUE(v.player()->activeItemID().isNull()) << "recording silences the player first";

    // Playback is refused while recording.
    m_sounds.clear();
    v.togglePlayback(idOf(earlier));
    EXPECT_EQ(toast(), u"请先停止录音再播放"_s);
    EXPECT_EQ(m_sounds, QList<Sound>{Sound::Pop});
    EXPECT_TRUE(v.player()->activeItemID().isNull());

    m_recorderState->currentTime = 2.4;
    const int scrollRequests = c.selection()->scrollToTopRequest();
    v.toggleRecording(u"B"_s);
    ASSERT_TRUE(waitFor([&] { return m_store->items().size() == 2; }));
    const StashItem note = m_store->items().first();
    EXPECT_EQ(note.durationSeconds(), 2.4);
    EXPECT_EQ(toast(), u"已录制 · "_s + StashItem::durationText(2.4));
    EXPECT_TRUE(c.isOpen());
    EXPECT_EQ(selection(), QStringList{idOf(note)});
    EXPECT_EQ(c.selection()->scrollTargetItemID(), note.id());
    EXPECT_EQ(c.selection()->scrollToTopRequest(), scrollRequests + 1);
}

TEST_F(VoiceNoteControllerTest, PlaybackProblemsAreToldAndOnlyTheLastPressedRowPlays)
{
    VoiceNoteController &v = *controller().voiceNotes();
    const StashItem first = addAudio("first");
    const StashItem second = addAudio("second");

    // Opening takes a moment; a second row pressed meanwhile wins.
    m_loadsLater = true;
    v.togglePlayback(idOf(first));
    v.togglePlayback(idOf(second));
    EXPECT_TRUE(v.player()->activeItemID().isNull()) << "nothing plays before the file is open";
    finishLoads();
    EXPECT_EQ(v.player()->activeItemID(), second.id());
    EXPECT_EQ(m_playerState->playCalls, 1);

    m_loadsLater = false;
    m_playerOpens = false;
    v.togglePlayback(idOf(first));
    EXPECT_EQ(toast(), u"无法播放这段录音"_s);
    EXPECT_TRUE(controller().toasts()->isError());
    EXPECT_TRUE(v.player()->activeItemID().isNull());

    QFile::remove(m_store->absolutePath(first).value());
    v.togglePlayback(idOf(first));
    EXPECT_EQ(toast(), u"录音文件不存在"_s);
}

} // namespace
} // namespace holdra::test
