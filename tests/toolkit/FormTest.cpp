#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zendra;
using namespace zendra::tk;

namespace {

class NamedControl : public Control {
public:
    explicit NamedControl(std::wstring name) : Control(std::move(name)) {}
    void ReadProperties(const PropertyBag& bag) override { caption = bag.ReadString("Caption", L"?"); }
    std::wstring caption = L"unread";
};

class LoggingForm : public Form {
public:
    LoggingForm(std::vector<std::string>& log, std::string name)
        : Form(L"form", 3000, 2000), log_(log), name_(std::move(name)) {}
    NamedControl child{L"cmdSplit"};

protected:
    void CreateControls() override {
        CreateControl(child, 0, 0, 1500, 345);
        log_.push_back(name_ + ".controls");
    }
    void OnLoad() override { log_.push_back(name_ + ".load"); }
    void OnUnload() override { log_.push_back(name_ + ".unload"); }

private:
    std::vector<std::string>& log_;
    std::string name_;
};

struct FormTest : ::testing::Test {
    void SetUp() override {
        Form::SetOnLastUnloaded([this] { log.push_back("end"); });
    }
    void TearDown() override { Form::SetOnLastUnloaded([] {}); }
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

} // namespace

TEST_F(FormTest, LoadCreatesTheControlsFromTheStoredDesignThenRunsTheLoadStep) {
    LoggingForm form(log, "main");
    form.SetDesign({{L"cmdSplit", {{"Caption", std::wstring(L"Split")}}}});
    form.Load();
    EXPECT_TRUE(form.IsLoaded());
    EXPECT_FALSE(IsWindowVisible(form.Hwnd()));
    EXPECT_EQ(form.child.caption, L"Split");
    EXPECT_EQ(GetParent(form.child.Hwnd()), form.Hwnd());
    form.Show();
    EXPECT_TRUE(IsWindowVisible(form.Hwnd()));
    // No system frame: the window is exactly its client area, 200 x 133 px.
    RECT window{}, client{};
    GetWindowRect(form.Hwnd(), &window);
    GetClientRect(form.Hwnd(), &client);
    EXPECT_EQ(window.right - window.left, 200);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 133);
    form.Unload();
    EXPECT_EQ(log, (Log{"main.controls", "main.load", "main.unload", "end"}));
}

TEST_F(FormTest, TheProgramEndsOnlyWhenTheLastFormIsUnloaded) {
    LoggingForm main(log, "main");
    LoggingForm about(log, "about");
    main.Show();
    about.Show();
    about.Show(); // showing an open form again only brings it forward
    ASSERT_EQ(Form::LoadedForms().size(), 2u);
    SendMessageW(main.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(main.IsLoaded());
    EXPECT_EQ(log.back(), "main.unload");
    about.Unload();
    EXPECT_EQ(log.back(), "end");
    // Loading and unloading again works the same way.
    about.Show();
    about.Unload();
    EXPECT_EQ(std::count(log.begin(), log.end(), "end"), 2);
}

// A form on the screen and a control on its form are placed alike: a place given before the
// window exists is where it is made, and the window and its elements follow every move.
TEST_F(FormTest, GeometryIsInTwipsOnTheScreen) {
    LoggingForm form(log, "main");
    form.Move(1500, 3000, 4500, 1500);
    form.Show();
    RECT r{};
    GetWindowRect(form.Hwnd(), &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 200);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 100);
    form.Move(3000, 1500, 6000, 3000);
    GetWindowRect(form.Hwnd(), &r);
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.right - r.left, 400);
    EXPECT_EQ(form.Elements().Width(), 6000);
    EXPECT_EQ(form.Elements().Height(), 3000);

    form.child.Move(150, 300, 600, 450);
    GetWindowRect(form.child.Hwnd(), &r);
    MapWindowPoints(nullptr, form.Hwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right - r.left, 40);
    EXPECT_EQ(r.bottom - r.top, 30);
    EXPECT_EQ(form.child.Elements().Width(), 600);
    EXPECT_EQ(form.child.Elements().Height(), 450);
    EXPECT_EQ(Form::ScreenWidth(), GetSystemMetrics(SM_CXSCREEN) * 15);
    form.Unload();
}
