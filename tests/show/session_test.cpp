// The session over the fixture's pictures on a scripted platform: the frame
// loop, and where each move takes the show.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "show/cue_table.h"
#include "show/session.h"
#include "show/softening_worker.h"
#include "show_fixture.h"

namespace {

uint32_t fake_ticks = 0;
uint32_t read_fake_ticks() { return fake_ticks; }

// Records every presented frame; the ticks advance `ms_per_frame` with each.
struct FakePlatform : SessionPlatform {
  std::vector<SessionView> presented;
  std::vector<uint32_t> last_frame;  // as presented
  uint32_t ms_per_frame = 0;
  int quit_after_frames = -1;  // the poll ends the show after this many frames

  TickSource tick_source() override { return read_fake_ticks; }
  void present(const SessionView& view) override {
    presented.push_back(view);
    last_frame.assign(view.frame, view.frame + static_cast<size_t>(screen_width) * screen_height);
    fake_ticks += ms_per_frame;
  }
  void poll(Session& session) override {
    if (static_cast<int>(presented.size()) == quit_after_frames) session.quit();
  }
};

class SessionTest : public ShowFixture {
 protected:
  std::unique_ptr<Session> session_at(int32_t ms, bool reduce_flashing = false) {
    fake_ticks = 100000;
    return std::make_unique<Session>(make_pictures(), screen_buffer.data(), platform, nullptr, ms, reduce_flashing);
  }
  std::vector<int32_t> presented_times() const {
    std::vector<int32_t> times;
    for (const SessionView& view : platform.presented) times.push_back(view.time_ms);
    return times;
  }
  FakePlatform platform;
};

TEST_F(SessionTest, RunReadsTheClockOncePerFrameAndStopsAfterTheLastCuesFrame) {
  platform.ms_per_frame = 20000;
  auto session = session_at(0);
  session->run();
  // The frame at 200000 fires the last cue (184000), completes with an empty
  // list and the loop stops.
  std::vector<int32_t> expected;
  for (int32_t t = 0; t <= 200000; t += 20000) expected.push_back(t);
  EXPECT_EQ(presented_times(), expected);
  EXPECT_TRUE(session->show().display_list.empty());
}

TEST_F(SessionTest, AQuitIsTestedBeforeTheFirstFrameAndNeverCutsAFrameShort) {
  auto quit_at_once = session_at(0);
  quit_at_once->quit();
  quit_at_once->run();
  EXPECT_TRUE(platform.presented.empty());

  platform.quit_after_frames = 2;
  platform.ms_per_frame = 10;
  session_at(0)->run();
  EXPECT_EQ(presented_times(), (std::vector<int32_t>{0, 10}));
}

// A show that reached its end is finished, one quit is not (a page offers
// to play again only after the first); either starts over, playing.
TEST_F(SessionTest, TheEndIsToldApartFromAQuitAndEitherStartsOverPlaying) {
  struct Row {
    const char* what;
    bool quit, paused;
  };
  for (const Row& row : std::vector<Row>{{"to its end", false, false}, {"quit", true, false},
                                         {"quit while paused", true, true}}) {
    SCOPED_TRACE(row.what);
    platform.presented.clear();
    platform.ms_per_frame = 50;
    platform.quit_after_frames = row.quit ? 2 : -1;
    auto session = session_at(0);
    session->seek_to(cue_table[cue_count - 1].time_ms - 120);
    if (row.paused) session->act(PlayerAction::pause);
    session->run();
    EXPECT_TRUE(session->ended());
    EXPECT_EQ(session->finished(), !row.quit);
    platform.quit_after_frames = -1;
    session->start_over(0);
    EXPECT_FALSE(session->ended());
    session->frame();
    session->frame();
    EXPECT_EQ(platform.presented.back().time_ms, 50);
    EXPECT_FALSE(platform.presented.back().paused);
  }
}

TEST_F(SessionTest, EachMoveTakesTheShowWhereTheKeySays) {
  struct Row {
    const char* what;
    int32_t from;
    std::vector<PlayerAction> actions;  // each after `advance` ms, followed by a frame
    uint32_t advance;
    int32_t time;  // of the last frame presented
    int32_t cue;
    bool paused;
    bool looping;
    int32_t seek_to = -1;  // then a timeline's seek there, followed by a frame (-1: none)
  };
  using A = PlayerAction;
  const Row rows[] = {
      {"right", 5000, {A::seek_forward}, 0, 6000, 0, false, false},
      {"left", 5000, {A::seek_back}, 0, 4000, 0, false, false},
      {"left near the start", 500, {A::seek_back}, 0, 0, 0, false, false},
      {"page down", 5000, {A::next_cue}, 0, 8000, 1, false, false},
      {"page up", 9000, {A::previous_cue}, 0, 0, 0, false, false},
      {"home", 50000, {A::to_start}, 0, 0, 0, false, false},
      {"space", 5000, {A::pause}, 40, 5000, 0, true, false},
      {"right while paused", 5000, {A::pause, A::seek_forward}, 40, 6000, 0, true, false},
      {"space again goes on from the paused frame", 5000, {A::pause, A::pause}, 3000, 5000, 0, false, false},
      {"l", 51500, {A::loop}, 100, 51600, 6, false, true},
      {"l, then the next cue's time", 51500, {A::loop}, 700, 48000, 6, false, true},
      {"l twice", 51500, {A::loop, A::loop}, 300, 52100, 7, false, false},
      {"t", 5000, {A::overlay}, 0, 5000, 0, false, false},
      {"a timeline seek", 5000, {A::none}, 0, 100000, 16, false, false, 100000},
      {"a timeline seek while paused", 5000, {A::pause}, 0, 60000, 9, true, false, 60000},
      {"a timeline seek past the end", 5000, {A::none}, 0, 183999, 24, false, false, 999999},
      {"a timeline seek before the start", 5000, {A::none}, 0, 0, 0, false, false, -1000},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    platform.presented.clear();
    auto session = session_at(row.from);
    session->frame();
    for (const PlayerAction action : row.actions) {
      fake_ticks += row.advance;
      session->act(action);
      session->frame();
    }
    if (row.seek_to != -1) {
      session->seek_to(row.seek_to);
      session->frame();
    }
    const SessionView& last = platform.presented.back();
    EXPECT_EQ(last.time_ms, row.time);
    EXPECT_EQ(last.cue, row.cue);
    EXPECT_EQ(last.paused, row.paused);
    EXPECT_EQ(last.looping, row.looping);
    EXPECT_EQ(last.overlay, row.actions.back() == A::overlay);
  }
}

TEST_F(SessionTest, DelayKeysStepTheAudioDelayWithinItsLimits) {
  using A = PlayerAction;
  const struct {
    int32_t from;
    A action;
    int32_t to;
  } steps[] = {{0, A::delay_later, 10}, {0, A::delay_earlier, -10}, {995, A::delay_later, 1000},
               {-1000, A::delay_earlier, -1000}, {40, A::pause, 40}};
  for (const auto& s : steps) EXPECT_EQ(Session::stepped_audio_delay(s.from, s.action), s.to) << s.from;

  auto session = session_at(0);
  session->set_audio_delay(150);
  session->act(A::delay_earlier);
  session->frame();
  EXPECT_EQ(platform.presented.back().audio_delay_ms, 140);
  EXPECT_EQ(session->show().clock.delay(), 140);
}

// Reduced flashing turned on mid-show runs the show ahead, then goes on as a
// start at the frame on screen would: inside a softened stretch the frame is
// what a session started there with it shows, softened from the one drawn.
TEST_F(SessionTest, ReducedFlashingTurnedOnMidShowShowsWhatAStartWithItShows) {
  auto session = session_at(0);
  session->frame_at(0);
  session->reduce_flashing(true);
  const auto& stretches = session->reduced_flashing().stretches();
  ASSERT_FALSE(stretches.empty());
  const int32_t ms = (stretches[0].from_ms + stretches[0].to_ms) / 2;
  session->seek_to(ms);
  session->frame_at(ms);
  const std::vector<uint32_t> turned_on = platform.last_frame;
  EXPECT_NE(turned_on, screen_buffer);

  auto started = session_at(ms, true);
  started->frame_at(ms);
  EXPECT_EQ(started->reduced_flashing().stretches().size(), stretches.size());
  EXPECT_EQ(platform.last_frame, turned_on);

  // The stretches listed beforehand (as the web page gets them) show the same.
  auto listed = session_at(ms);
  listed->use_softened_stretches(stretches, true);
  listed->frame_at(ms);
  EXPECT_EQ(platform.last_frame, turned_on);
}

TEST_F(SessionTest, HoldsWhereTheShowIsNotReadyAndGoesOnByItselfOnceItIsAhead) {
  platform.ms_per_frame = 1000;
  auto session = session_at(0);
  session->set_ready({{0, 8000}}, 3000);
  for (int i = 0; i < 10; ++i) session->frame();
  // The clock ran into 8000: the frame at 7000 stays, held.
  EXPECT_EQ(presented_times(), (std::vector<int32_t>{0, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 7000, 7000}));
  EXPECT_STREQ(platform.presented.back().hold, "waiting for data");
  EXPECT_FALSE(platform.presented.back().paused);
  // Ready up to 9000 only is not enough ahead; a pause made meanwhile holds on.
  session->set_ready({{0, 9000}}, 3000);
  session->act(PlayerAction::pause);
  session->frame();
  EXPECT_NE(platform.presented.back().hold, nullptr);
  session->set_ready({{0, 8000}, {8000, 20000}}, 3000);
  session->frame();
  EXPECT_EQ(platform.presented.back().hold, nullptr);
  EXPECT_TRUE(platform.presented.back().paused);
  EXPECT_EQ(platform.presented.back().time_ms, 7000);
  session->act(PlayerAction::pause);
  session->frame();
  session->frame();
  EXPECT_EQ(platform.presented.back().time_ms, 8000);
  EXPECT_EQ(platform.presented.back().cue, 1);
  // A seek into what is not ready holds there, and one back goes on.
  session->seek_to(100000);
  session->frame();
  EXPECT_NE(platform.presented.back().hold, nullptr);
  session->seek_to(2000);
  session->frame();
  EXPECT_EQ(platform.presented.back().hold, nullptr);
  EXPECT_EQ(platform.presented.back().time_ms, 2000);
}

// A search the test runs itself, a few frames before each of the session's.
struct SlicedSearch : SofteningFeed {
  explicit SlicedSearch(const ImageStore& pictures) : search(pictures) {}
  bool take(SofteningProgress* progress) override {
    *progress = search.progress();
    return true;
  }
  SofteningSearch search;
};

// A session following a search still running (sliced here, or on the
// player's worker thread) shows, frame by frame and after a seek, what the
// whole search found beforehand gives; where the search is behind, it holds.
TEST_F(SessionTest, FollowingASearchShowsTheFramesTheWholeSearchGives) {
  platform.ms_per_frame = 100;
  const std::vector<SoftenedStretch> whole = find_softened_stretches(make_pictures());
  ASSERT_FALSE(whole.empty());
  ReducedFlashing expected(whole);
  for (const bool sliced : {true, false}) {
    SCOPED_TRACE(sliced ? "sliced" : "worker");
    platform.presented.clear();
    auto session = session_at(0);
    std::optional<SlicedSearch> slices;
    std::optional<SofteningWorker> worker;
    SofteningFeed* feed = sliced ? static_cast<SofteningFeed*>(&slices.emplace(session->pictures()))
                                 : &worker.emplace(session->pictures());
    session->follow_softening(feed);
    const auto run_to = [&](int32_t until) {
      while (platform.presented.empty() || platform.presented.back().time_ms < until) {
        // Twelve frames of search (50 ms) to each 100 ms frame: the
        // session keeps catching up with it.
        if (slices) slices->search.run(12);
        session->frame();
        const int32_t ms = platform.presented.back().time_ms;
        const uint32_t* shown = expected.shown(screen_buffer.data(), screen_buffer.size(), ms);
        ASSERT_EQ(platform.last_frame, std::vector<uint32_t>(shown, shown + screen_buffer.size())) << ms;
      }
    };
    run_to(whole[0].to_ms + 1000);
    if (sliced) {
      EXPECT_STREQ(platform.presented.front().hold, "finding what to soften");
      EXPECT_FALSE(platform.presented.front().drawn);
      EXPECT_GT(std::count_if(platform.presented.begin(), platform.presented.end(),
                              [](const SessionView& v) { return v.hold != nullptr; }),
                100);
    }
    session->seek_to(whole[0].from_ms);
    run_to(whole[0].from_ms + 500);
    if (worker) {
      SofteningProgress last;
      while (!worker->take(&last) || last.settled_ms < cue_table[cue_count - 1].time_ms) {
      }
      EXPECT_EQ(last.stretches, whole);
    }
  }
}

}  // namespace
