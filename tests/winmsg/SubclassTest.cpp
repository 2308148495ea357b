#include "TargetWindow.h"
#include "cSubclass.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace zendra {
namespace {

using test::Entry;
using test::Msg;
using test::TargetWindow;
using Log = std::vector<std::string>;

constexpr std::int32_t kBefore = cSubclass::kBefore;
constexpr std::int32_t kAfter = cSubclass::kAfter;

std::int32_t Num(UINT uMsg) {
    return static_cast<std::int32_t>(uMsg);
}

// Logs every test message it sees into the target's log, then runs the test's own reaction.
class Recorder : public iSubclass {
  public:
    Recorder(Log& log, std::string name = "") : log_(log), name_(std::move(name)) {}

    std::function<void(bool&, LRESULT&, HWND&, UINT&, WPARAM&, LPARAM&)> onBefore;
    std::function<void(LRESULT&, UINT)> onAfter;

    void Before(bool& bHandled, LRESULT& lReturn, HWND& hWnd, UINT& uMsg, WPARAM& wParam,
                LPARAM& lParam) noexcept override {
        if (uMsg >= WM_APP) log_.push_back(Entry((name_ + "before").c_str(), uMsg, wParam));
        if (onBefore) onBefore(bHandled, lReturn, hWnd, uMsg, wParam, lParam);
    }
    void After(LRESULT& lReturn, HWND, UINT uMsg, WPARAM wParam, LPARAM) noexcept override {
        if (uMsg >= WM_APP)
            log_.push_back(Entry((name_ + "after").c_str(), uMsg, wParam) + " r" +
                           std::to_string(lReturn));
        if (onAfter) onAfter(lReturn, uMsg);
    }

  private:
    Log& log_;
    std::string name_;
};

class SubclassTest : public ::testing::Test {
  protected:
    LRESULT Send(UINT uMsg, WPARAM wParam = 0) {
        return SendMessageW(target.Get(), uMsg, wParam, 0);
    }
    WNDPROC CurrentProcedure() const {
        return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(target.Get(), GWLP_WNDPROC));
    }

    TargetWindow target;
    Recorder recorder{target.log};
    cSubclass subclass;
};

TEST_F(SubclassTest, UnlistedMessageReachesThePreviousProcedureUnchanged) {
    ASSERT_TRUE(subclass.Subclass(target.Get(), recorder));
    subclass.AddMsg(Num(Msg(1)), kBefore);
    subclass.AddMsg(Num(Msg(1)), kAfter);
    EXPECT_EQ(Send(Msg(2), 5), TargetWindow::ResultFor(Msg(2), 5));
    EXPECT_EQ(target.log, (Log{"proc 2 w5"}));
}

TEST_F(SubclassTest, BeforeThenPreviousProcedureThenAfterWhichMayReplaceTheResult) {
    ASSERT_TRUE(subclass.Subclass(target.Get(), recorder));
    subclass.AddMsg(Num(Msg(1)), kBefore);
    subclass.AddMsg(Num(Msg(1)), kAfter);
    recorder.onAfter = [](LRESULT& lReturn, UINT) { lReturn += 1; };
    EXPECT_EQ(Send(Msg(1), 2), 1003);
    EXPECT_EQ(target.log, (Log{"before 1 w2", "proc 1 w2", "after 1 w2 r1002"}));
}

TEST_F(SubclassTest, AfterOnlyTableLeavesBeforeOut) {
    ASSERT_TRUE(subclass.Subclass(target.Get(), recorder));
    subclass.AddMsg(Num(Msg(1)), kAfter);
    EXPECT_EQ(Send(Msg(1)), 1000);
    EXPECT_EQ(target.log, (Log{"proc 1 w0", "after 1 w0 r1000"}));
}

TEST_F(SubclassTest, AnyWhenOtherThanOneSelectsTheAfterTable) {
    ASSERT_TRUE(subclass.Subclass(target.Get(), recorder));
    subclass.AddMsg(Num(Msg(1)), 0);
    subclass.AddMsg(Num(Msg(2)), 7);
    EXPECT_EQ(subclass.Table(kAfter).Count(), 2);
    EXPECT_EQ(subclass.Table(kBefore).Count(), 0);
}

TEST_F(SubclassTest, HandledInBeforeEndsTheMessageWithItsResult) {
    ASSERT_TRUE(subclass.Subclass(target.Get(), recorder));
    subclass.AddMsg(Num(Msg(1)), kBefore);
    subclass.AddMsg(Num(Msg(1)), kAfter);
    recorder.onBefore = [](bool& bHandled, LRESULT& lReturn, HWND&, UINT&, WPARAM& wParam,
                           LPARAM&) {
        bHandled = true;
        if (wParam == 1) lReturn = 77;
    };
    EXPECT_EQ(Send(Msg(1), 1), 77);
    EXPECT_EQ(Send(Msg(1), 2), 0); // handled without a result of its own
    EXPECT_EQ(target.log, (Log{"before 1 w1", "before 1 w2"}));
}

TEST_F(SubclassTest, ValuesChangedInBeforeReachTheProcedureAndSelectTheAfterStage) {
    ASSERT_TRUE(subclass.Subclass(target.Get(), recorder));
    subclass.AddMsg(Num(Msg(1)), kBefore);
    subclass.AddMsg(Num(Msg(2)), kAfter);
    recorder.onBefore = [](bool&, LRESULT&, HWND&, UINT& uMsg, WPARAM& wParam, LPARAM&) {
        uMsg = Msg(2);
        wParam = 9;
    };
    EXPECT_EQ(Send(Msg(1), 1), 2009);
    EXPECT_EQ(target.log, (Log{"before 1 w1", "proc 2 w9", "after 2 w9 r2009"}));

    // Selected on the changed number only: an after table listing the original misses it.
    target.log.clear();
    subclass.DelMsg(Num(Msg(2)), kAfter);
    subclass.AddMsg(Num(Msg(1)), kAfter);
    Send(Msg(1), 1);
    EXPECT_EQ(target.log, (Log{"before 1 w1", "proc 2 w9"}));
}

TEST_F(SubclassTest, AllMessagesModeRoutesEveryMessage) {
    ASSERT_TRUE(subclass.Subclass(target.Get(), recorder));
    subclass.AddMsg(cSubclass::kAllMessages, kBefore);
    Send(Msg(3));
    Send(Msg(4));
    EXPECT_EQ(target.log, (Log{"before 3 w0", "proc 3 w0", "before 4 w0", "proc 4 w0"}));
    subclass.DelMsg(cSubclass::kAllMessages, kBefore);
    target.log.clear();
    Send(Msg(3));
    EXPECT_EQ(target.log, (Log{"proc 3 w0"}));
}

TEST_F(SubclassTest, DeletedMessageIsNoLongerRouted) {
    ASSERT_TRUE(subclass.Subclass(target.Get(), recorder));
    subclass.AddMsg(Num(Msg(1)), kBefore);
    subclass.DelMsg(Num(Msg(1)), kBefore);
    Send(Msg(1));
    EXPECT_EQ(target.log, (Log{"proc 1 w0"}));
}

TEST_F(SubclassTest, DuplicateLeftByAReusedSlotSurvivesOneDelete) {
    ASSERT_TRUE(subclass.Subclass(target.Get(), recorder));
    subclass.AddMsg(Num(Msg(1)), kBefore);
    subclass.AddMsg(Num(Msg(2)), kBefore);
    subclass.DelMsg(Num(Msg(1)), kBefore);
    subclass.AddMsg(Num(Msg(2)), kBefore); // takes the freed first slot: listed twice
    subclass.DelMsg(Num(Msg(2)), kBefore);
    Send(Msg(2));
    Send(Msg(1));
    EXPECT_EQ(target.log, (Log{"before 2 w0", "proc 2 w0", "proc 1 w0"}));
}

TEST_F(SubclassTest, BeforeCanCallThePreviousProcedureItself) {
    ASSERT_TRUE(subclass.Subclass(target.Get(), recorder));
    subclass.AddMsg(Num(Msg(1)), kBefore);
    recorder.onBefore = [this](bool& bHandled, LRESULT& lReturn, HWND&, UINT&, WPARAM&, LPARAM&) {
        lReturn = subclass.CallOrigWndProc(Msg(5), 3, 0) + 1;
        bHandled = true;
    };
    EXPECT_EQ(Send(Msg(1)), 5004);
    EXPECT_EQ(target.log, (Log{"before 1 w0", "proc 5 w3"}));
}

TEST_F(SubclassTest, CallOrigWndProcWithoutAWindowGivesZero) {
    EXPECT_EQ(subclass.CallOrigWndProc(Msg(1), 0, 0), 0);
}

TEST_F(SubclassTest, RealMoveReachesBeforeWithItsPositionRecord) {
    ASSERT_TRUE(subclass.Subclass(target.Get(), recorder));
    subclass.AddMsg(WM_WINDOWPOSCHANGED, kBefore);
    WINDOWPOS seen{};
    recorder.onBefore = [&seen](bool&, LRESULT&, HWND&, UINT& uMsg, WPARAM&, LPARAM& lParam) {
        if (uMsg == WM_WINDOWPOSCHANGED) seen = *reinterpret_cast<const WINDOWPOS*>(lParam);
    };
    SetWindowPos(target.Get(), nullptr, 40, 50, 120, 90, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(seen.x, 40);
    EXPECT_EQ(seen.y, 50);
    EXPECT_EQ(seen.cx, 120);
    EXPECT_EQ(seen.cy, 90);
}

TEST_F(SubclassTest, ReentrantMessageRunsThroughTheCallbacksToo) {
    ASSERT_TRUE(subclass.Subclass(target.Get(), recorder));
    subclass.AddMsg(Num(Msg(1)), kBefore);
    subclass.AddMsg(Num(Msg(2)), kBefore);
    subclass.AddMsg(Num(Msg(1)), kAfter);
    recorder.onBefore = [this](bool&, LRESULT&, HWND&, UINT& uMsg, WPARAM&, LPARAM&) {
        if (uMsg == Msg(1)) Send(Msg(2));
    };
    EXPECT_EQ(Send(Msg(1)), 1000);
    EXPECT_EQ(target.log,
              (Log{"before 1 w0", "before 2 w0", "proc 2 w0", "proc 1 w0", "after 1 w0 r1000"}));
}

// Detaching ----------------------------------------------------------------------------------

TEST_F(SubclassTest, UnSubclassRestoresTheProcedureAndIsHarmlessTwice) {
    subclass.UnSubclass(); // never attached
    ASSERT_TRUE(subclass.Subclass(target.Get(), recorder));
    subclass.AddMsg(Num(Msg(1)), kBefore);
    EXPECT_NE(CurrentProcedure(), TargetWindow::Procedure());
    subclass.UnSubclass();
    subclass.UnSubclass();
    EXPECT_EQ(CurrentProcedure(), TargetWindow::Procedure());
    EXPECT_EQ(subclass.Window(), nullptr);
    EXPECT_EQ(subclass.Table(kBefore).Count(), 0);
    Send(Msg(1));
    EXPECT_EQ(target.log, (Log{"proc 1 w0"}));
}

TEST_F(SubclassTest, EndOfTheObjectDetaches) {
    {
        cSubclass scoped;
        ASSERT_TRUE(scoped.Subclass(target.Get(), recorder));
        scoped.AddMsg(Num(Msg(1)), kBefore);
    }
    EXPECT_EQ(CurrentProcedure(), TargetWindow::Procedure());
    Send(Msg(1));
    EXPECT_EQ(target.log, (Log{"proc 1 w0"}));
}

TEST_F(SubclassTest, EndedCallbackDetachesAtTheNextSelectedMessageWhichReturnsZero) {
    auto doomed = std::make_unique<Recorder>(target.log);
    ASSERT_TRUE(subclass.Subclass(target.Get(), *doomed));
    subclass.AddMsg(Num(Msg(1)), kBefore);
    doomed.reset();
    Send(Msg(2)); // not selected: still straight through
    EXPECT_EQ(Send(Msg(1)), 0);
    EXPECT_EQ(target.log, (Log{"proc 2 w0"}));
    EXPECT_EQ(CurrentProcedure(), TargetWindow::Procedure());
    EXPECT_EQ(Send(Msg(1)), 1000);
    subclass.UnSubclass(); // already detached: no effect
    EXPECT_EQ(CurrentProcedure(), TargetWindow::Procedure());
}

TEST_F(SubclassTest, EndedCallbackIsNoticedInTheAfterStage) {
    auto doomed = std::make_unique<Recorder>(target.log);
    ASSERT_TRUE(subclass.Subclass(target.Get(), *doomed));
    subclass.AddMsg(Num(Msg(1)), kAfter);
    doomed.reset();
    EXPECT_EQ(Send(Msg(1)), 0);
    EXPECT_EQ(target.log, (Log{"proc 1 w0"}));
    EXPECT_EQ(CurrentProcedure(), TargetWindow::Procedure());
}

TEST_F(SubclassTest, ObjectEndedInsideItsOwnCallbackLetsTheMessageFinish) {
    auto owned = std::make_unique<cSubclass>();
    ASSERT_TRUE(owned->Subclass(target.Get(), recorder));
    owned->AddMsg(Num(Msg(1)), kBefore);
    owned->AddMsg(Num(Msg(1)), kAfter);
    recorder.onBefore = [&owned](bool&, LRESULT&, HWND&, UINT&, WPARAM&, LPARAM&) {
        owned.reset();
    };
    EXPECT_EQ(Send(Msg(1)), 1000);
    EXPECT_EQ(target.log, (Log{"before 1 w0", "proc 1 w0"}));
    EXPECT_EQ(CurrentProcedure(), TargetWindow::Procedure());
}

TEST_F(SubclassTest, SubclassingAnotherWindowReleasesTheFirstAndKeepsTheTables) {
    TargetWindow second;
    ASSERT_TRUE(subclass.Subclass(target.Get(), recorder));
    subclass.AddMsg(Num(Msg(1)), kBefore);
    subclass.AddMsg(Num(Msg(2)), kAfter);
    ASSERT_TRUE(subclass.Subclass(second.Get(), recorder));
    EXPECT_EQ(CurrentProcedure(), TargetWindow::Procedure());
    EXPECT_EQ(subclass.Window(), second.Get());
    SendMessageW(second.Get(), Msg(1), 0, 0);
    SendMessageW(second.Get(), Msg(2), 0, 0);
    EXPECT_EQ(target.log, (Log{"before 1 w0", "after 2 w0 r2000"}));
}

TEST_F(SubclassTest, WindowThatEndsWhileOtherCodeBypassesOursIsForgotten) {
    ASSERT_TRUE(subclass.Subclass(target.Get(), recorder));
    // Other code puts back the procedure it found before ours: ours never sees the window end.
    SetWindowLongPtrW(target.Get(), GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(TargetWindow::Procedure()));
    DestroyWindow(target.Get());
    // The next attach drops the dead window's entry, which a later window given the same handle
    // (the system reuses handle values) would otherwise join without being subclassed.
    TargetWindow next;
    cSubclass other;
    ASSERT_TRUE(other.Subclass(next.Get(), recorder));
    EXPECT_EQ(subclass.Window(), nullptr);
}

TEST_F(SubclassTest, DestroyedWindowLeavesTheObjectDetached) {
    ASSERT_TRUE(subclass.Subclass(target.Get(), recorder));
    subclass.AddMsg(WM_DESTROY, kBefore);
    DestroyWindow(target.Get());
    EXPECT_EQ(subclass.Window(), nullptr);
    EXPECT_EQ(subclass.CallOrigWndProc(Msg(1), 0, 0), 0);
}

TEST_F(SubclassTest, FailedAttachLeavesTheObjectDetached) {
    EXPECT_FALSE(subclass.Subclass(nullptr, recorder));
    EXPECT_EQ(subclass.Window(), nullptr);
    // A window of another thread: its messages would never find this thread's subclassers.
    bool attached = true;
    std::thread other([&] {
        cSubclass foreign;
        attached = foreign.Subclass(target.Get(), recorder);
    });
    other.join();
    EXPECT_FALSE(attached);
    EXPECT_EQ(CurrentProcedure(), TargetWindow::Procedure());
}

// Two subclassers on one window ---------------------------------------------------------------

class ChainTest : public SubclassTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(first.Subclass(target.Get(), firstRecorder));
        ASSERT_TRUE(second.Subclass(target.Get(), secondRecorder));
        for (auto* object : {&first, &second}) {
            object->AddMsg(Num(Msg(1)), kBefore);
            object->AddMsg(Num(Msg(1)), kAfter);
        }
    }

    Recorder firstRecorder{target.log, "A."};
    Recorder secondRecorder{target.log, "B."};
    cSubclass first;
    cSubclass second;
};

TEST_F(ChainTest, LaterSubclasserWrapsTheEarlierOne) {
    Send(Msg(1));
    EXPECT_EQ(target.log, (Log{"B.before 1 w0", "A.before 1 w0", "proc 1 w0", "A.after 1 w0 r1000",
                               "B.after 1 w0 r1000"}));
}

TEST_F(ChainTest, RemovingTheEarlierFirstKeepsTheLaterWorking) {
    first.UnSubclass();
    Send(Msg(1));
    EXPECT_EQ(target.log, (Log{"B.before 1 w0", "proc 1 w0", "B.after 1 w0 r1000"}));
    second.UnSubclass();
    EXPECT_EQ(CurrentProcedure(), TargetWindow::Procedure());
}

TEST_F(ChainTest, RemovingTheLaterFirstKeepsTheEarlierWorking) {
    second.UnSubclass();
    Send(Msg(1));
    EXPECT_EQ(target.log, (Log{"A.before 1 w0", "proc 1 w0", "A.after 1 w0 r1000"}));
    first.UnSubclass();
    EXPECT_EQ(CurrentProcedure(), TargetWindow::Procedure());
    target.log.clear();
    Send(Msg(1));
    EXPECT_EQ(target.log, (Log{"proc 1 w0"}));
}

TEST_F(ChainTest, HandledInTheOuterStopsTheInner) {
    secondRecorder.onBefore = [](bool& bHandled, LRESULT& lReturn, HWND&, UINT&, WPARAM&, LPARAM&) {
        bHandled = true;
        lReturn = 5;
    };
    EXPECT_EQ(Send(Msg(1)), 5);
    EXPECT_EQ(target.log, (Log{"B.before 1 w0"}));
}

TEST_F(ChainTest, SubclasserEndedInItsCallbackPassesTheMessageOnToTheEarlierOnes) {
    auto third = std::make_unique<cSubclass>();
    Recorder thirdRecorder{target.log, "C."};
    ASSERT_TRUE(third->Subclass(target.Get(), thirdRecorder));
    third->AddMsg(Num(Msg(1)), kBefore);
    thirdRecorder.onBefore = [&third](bool&, LRESULT&, HWND&, UINT&, WPARAM&, LPARAM&) {
        third.reset();
    };
    EXPECT_EQ(Send(Msg(1)), 1000);
    EXPECT_EQ(target.log, (Log{"C.before 1 w0", "B.before 1 w0", "A.before 1 w0", "proc 1 w0",
                               "A.after 1 w0 r1000", "B.after 1 w0 r1000"}));
}

TEST_F(ChainTest, PreviousProcedureOfTheLaterIsTheEarlierSubclasser) {
    secondRecorder.onBefore = [this](bool& bHandled, LRESULT& lReturn, HWND&, UINT&, WPARAM&,
                                     LPARAM&) {
        lReturn = second.CallOrigWndProc(Msg(1), 4, 0);
        bHandled = true;
    };
    EXPECT_EQ(Send(Msg(1)), 1004);
    EXPECT_EQ(target.log,
              (Log{"B.before 1 w0", "A.before 1 w4", "proc 1 w4", "A.after 1 w4 r1004"}));
}

// A procedure installed directly over the subclassers, as other code may do.
WNDPROC foreignPrevious = nullptr;
std::vector<std::string>* foreignLog = nullptr;
LRESULT CALLBACK ForeignProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg >= WM_APP && foreignLog) foreignLog->push_back(Entry("foreign", uMsg, wParam));
    return CallWindowProcW(foreignPrevious, hWnd, uMsg, wParam, lParam);
}

TEST_F(SubclassTest, ProcedureInstalledOverTheSubclasserKeepsWorkingAfterUnSubclass) {
    ASSERT_TRUE(subclass.Subclass(target.Get(), recorder));
    subclass.AddMsg(Num(Msg(1)), kBefore);
    foreignLog = &target.log;
    foreignPrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(target.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForeignProc)));
    subclass.UnSubclass();
    EXPECT_EQ(CurrentProcedure(), &ForeignProc);
    EXPECT_EQ(Send(Msg(1)), 1000);
    EXPECT_EQ(target.log, (Log{"foreign 1 w0", "proc 1 w0"}));
    // The other code removes its procedure in turn: the window's own answers again.
    SetWindowLongPtrW(target.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(foreignPrevious));
    foreignLog = nullptr;
    EXPECT_EQ(Send(Msg(2)), 2000);
}

} // namespace
} // namespace zendra
