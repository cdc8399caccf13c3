// The settings page: the opacity rule, the picture drop, the refill when the
// page opens and the save behind the NS码 rule; the help link beside it and
// the power page's commands.
#include <algorithm>

#include "base/text.h"
#include "support/program_fixture.h"

namespace quorvel::testing {
namespace {

constexpr std::u16string_view kFormatPrompt = u"图片格式错误！暂时支持图片格式：*.jpg|*.bmp";
constexpr std::u16string_view kNsPrompt = u"为了能够找回密码,您必须正确设置NS码！";

class SettingsPage : public ProgramTest {
protected:
    void Open() {
        Btn("iButton4").UserClick();
        toolkit.Advance(8);
    }
    size_t Saves() const {
        return static_cast<size_t>(
            std::count_if(toolkit.storeOps.begin(), toolkit.storeOps.end(), [](const StoreOp& op) { return op.save; }));
    }
};

TEST_F(SettingsPage, TheOpacityFieldKeepsItselfWithin0To255) {
    Start();
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"", u"255"},  {u"-", u"255"},   {u"-1", u"0"},    {u"256", u"255"}, {u"999", u"255"},
        {u"0", u"0"},   {u"255", u"255"}, {u"2.5", u"2.5"}, {u"abc", u"255"}, {u"12", u"12"},
        {u"-0", u"-0"}, {u"1e2", u"1e2"}, {u"-99", u"0"},   {u".", u"255"},   {u"1..", u"255"},
    };
    for (const auto& [typed, shown] : cases) {
        Box("Text3").UserType(u"7");
        Box("Text3").UserType(typed);
        EXPECT_EQ(form1->Text3.Text(), shown) << "typed " << Utf16ToUtf8(typed);
        EXPECT_LE(form1->Text3.Text().size(), 3u);
    }
    EXPECT_TRUE(toolkit.messages.empty());  // the rule only corrects
}

TEST_F(SettingsPage, TheOpacityRuleReadsTheUsersNumberFormat) {
    toolkit.numberFormat.decimal = u',';
    Start();
    Box("Text3").UserType(u"2,5");
    EXPECT_EQ(form1->Text3.Text(), u"2,5");
    Box("Text3").UserType(u"2.5");
    EXPECT_EQ(form1->Text3.Text(), u"255");
}

TEST_F(SettingsPage, OpeningThePageRefillsTheThreeFieldsInOrder) {
    Start();
    const size_t before = toolkit.storeOps.size();
    Open();
    EXPECT_EQ(form1->Text3.Text(), u"255");  // nothing stored: the designed texts
    EXPECT_EQ(form1->Text4.Text(), u"");
    EXPECT_EQ(form1->Text5.Text(), u"");
    ASSERT_EQ(toolkit.storeOps.size(), before + 3);
    EXPECT_EQ(toolkit.storeOps[before].application, u"text3");
    EXPECT_EQ(toolkit.storeOps[before + 1].application, u"text4");
    EXPECT_EQ(toolkit.storeOps[before + 2].application, u"text5");
}

TEST_F(SettingsPage, TheRefillTakesStoredValuesAndCorrectsAStoredOpacity) {
    toolkit.Put(u"text3", u"300");
    toolkit.Put(u"text4", u"4321");
    toolkit.Put(u"text5", u"C:\\背景.jpg");
    Start();
    Box("Text4").UserType(u"9999");  // unsaved edits give way to stored values
    Open();
    EXPECT_EQ(form1->Text3.Text(), u"255");
    EXPECT_EQ(form1->Text4.Text(), u"4321");
    EXPECT_EQ(form1->Text5.Text(), u"C:\\背景.jpg");
    EXPECT_EQ(toolkit.Stored(u"text3"), u"300");  // the field is corrected, not the store
}

TEST_F(SettingsPage, AFailingStoreLeavesTheFieldsAsTheyWere) {
    toolkit.Put(u"text4", u"4321");
    Start();
    Box("Text4").UserType(u"9999");
    toolkit.failLoads = true;
    Open();
    EXPECT_EQ(form1->Text4.Text(), u"9999");
    EXPECT_EQ(form1->Text3.Text(), u"255");
}

TEST_F(SettingsPage, ADroppedBmpOrJpgFileSetsThePicturePath) {
    Start();
    Box("Text5").UserDrop(std::vector<std::u16string>{u"C:\\图片\\a.bmp"});
    EXPECT_EQ(form1->Text5.Text(), u"C:\\图片\\a.bmp");
    Box("Text5").UserDrop(std::vector<std::u16string>{u"D:\\b.jpg", u"D:\\notes.txt"});
    EXPECT_EQ(form1->Text5.Text(), u"D:\\b.jpg");
    EXPECT_TRUE(toolkit.messages.empty());
}

TEST_F(SettingsPage, AnyOtherDropShowsTheFormatMessageAndKeepsThePath) {
    Start();
    form1->Text5.SetText(u"D:\\keep.jpg");
    const DroppedFiles drops[] = {
        std::vector<std::u16string>{u"C:\\UPPER.JPG"},
        std::vector<std::u16string>{u"C:\\a.jpeg"},
        std::vector<std::u16string>{u"C:\\a.png"},
        std::vector<std::u16string>{u"C:\\a.Bmp"},
        std::vector<std::u16string>{u"C:\\notes.txt", u"C:\\a.bmp"},  // only the first counts
        std::vector<std::u16string>{u"bmp"},
        std::vector<std::u16string>{},  // an empty list
        std::nullopt,                   // plain text: no list
    };
    size_t count = 0;
    for (const DroppedFiles& drop : drops) {
        Box("Text5").UserDrop(drop);
        ++count;
        ASSERT_EQ(toolkit.messages.size(), count);
        EXPECT_EQ(toolkit.messages.back().prompt, kFormatPrompt);
        EXPECT_EQ(toolkit.messages.back().title, u"温馨提示");
        EXPECT_EQ(toolkit.messages.back().style, MsgBoxStyle::Critical);
        EXPECT_EQ(form1->Text5.Text(), u"D:\\keep.jpg");
    }
}

TEST_F(SettingsPage, AValidNsCodeSavesTheThreeFieldsBeforeThePageMoves) {
    Start();
    Open();
    Box("Text3").UserType(u"128");
    Box("Text5").UserDrop(std::vector<std::u16string>{u"C:\\a.bmp"});
    Box("Text4").UserType(u"2580");
    const size_t before = toolkit.storeOps.size();
    Btn("i4").UserClick();
    EXPECT_TRUE(form1->Timer7.Enabled());
    ASSERT_EQ(toolkit.storeOps.size(), before + 3);
    EXPECT_EQ(form1->Picture2.Left(), 0);  // written before the first tick
    const std::u16string_view order[] = {u"text3", u"text4", u"text5"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(toolkit.storeOps[before + i].save);
        EXPECT_EQ(toolkit.storeOps[before + i].application, order[i]);
    }
    EXPECT_EQ(toolkit.Stored(u"text3"), u"128");
    EXPECT_EQ(toolkit.Stored(u"text4"), u"2580");
    EXPECT_EQ(toolkit.Stored(u"text5"), u"C:\\a.bmp");
    toolkit.Advance(8);
    EXPECT_EQ(form1->Picture2.Left(), 6400);
    // The fields keep their texts.
    EXPECT_EQ(form1->Text4.Text(), u"2580");
}

TEST_F(SettingsPage, TheNsCodeRuleJudgesLengthAndLeadingNumber) {
    const std::pair<std::u16string_view, bool> cases[] = {
        {u"1000", false},
        {u"1001", true},
        {u"9999", true},
        {u"0999", false},
        {u"999", false},
        {u"12ab", false},
        {u"abcd", false},
        {u"2e03", true},
        {u"1e3x", false},
        {u"2e3x", true},
        {u"", false},
        {u"1 0 ", false},
        {u"&HFF", false},
        {u"2e09", true},
        {u"-2e3", false},
        // Worth more than 1000 but beyond 32 bits: no NC码 could ever fit.
        {u"3e09", false},
        {u"9e99", false},
        {u"9e9 ", false},
    };
    Start();
    Open();
    for (const auto& [ns, accepted] : cases) {
        toolkit.storeOps.clear();
        toolkit.messages.clear();
        form1->Text4.SetText(ns);
        Btn("i4").UserClick();
        const std::string label = Utf16ToUtf8(ns);
        EXPECT_EQ(form1->Timer7.Enabled(), accepted) << label;
        EXPECT_EQ(Saves(), accepted ? 3u : 0u) << label;
        toolkit.Advance(8);
        if (accepted) {
            EXPECT_TRUE(toolkit.messages.empty()) << label;
            EXPECT_EQ(form1->Picture2.Left(), 6400) << label;
            Open();
        } else {
            ASSERT_EQ(toolkit.messages.size(), 1u) << label;
            EXPECT_EQ(toolkit.messages[0].prompt, kNsPrompt) << label;
            EXPECT_EQ(toolkit.messages[0].title, u"NS码设置错误！") << label;
            EXPECT_EQ(toolkit.messages[0].style, MsgBoxStyle::Critical) << label;
            EXPECT_EQ(form1->Picture2.Left(), 0) << label;
        }
    }
}

TEST_F(SettingsPage, NothingIsStoredWhenTheNsCodeIsWrongOrTheStoreRefuses) {
    toolkit.Put(u"text3", u"100");
    toolkit.Put(u"text4", u"4321");
    toolkit.Put(u"text5", u"C:\\old.jpg");
    Start();
    Open();
    Box("Text3").UserType(u"50");
    Box("Text5").UserDrop(std::vector<std::u16string>{u"C:\\new.bmp"});
    Box("Text4").UserType(u"12");
    Btn("i4").UserClick();
    EXPECT_EQ(Saves(), 0u);

    // A valid NS码 with a store that refuses: the old entries stay, the page
    // slides out all the same.
    Box("Text4").UserType(u"5555");
    toolkit.failSaves = true;
    Btn("i4").UserClick();
    toolkit.Advance(8);
    EXPECT_EQ(form1->Picture2.Left(), 6400);
    EXPECT_EQ(toolkit.Stored(u"text3"), u"100");
    EXPECT_EQ(toolkit.Stored(u"text4"), u"4321");
    EXPECT_EQ(toolkit.Stored(u"text5"), u"C:\\old.jpg");
}

using HelpFile = ProgramTest;

TEST_F(HelpFile, TheLinkOpensTheHelpFileInTheEditor) {
    toolkit.files.insert(u"C:\\Quorvel\\NS码.txt");
    Start();
    Lbl("Label10").UserClick();
    Lbl("Label10").UserClick();  // each click starts another editor
    EXPECT_EQ(toolkit.openedFiles, (std::vector<std::u16string>(2, u"C:\\Quorvel\\NS码.txt")));
    EXPECT_TRUE(toolkit.messages.empty());
}

TEST_F(HelpFile, AMissingFileOrEditorShowsTheMessage) {
    const auto expectMessage = [&](const char* why) {
        ASSERT_FALSE(toolkit.messages.empty()) << why;
        EXPECT_EQ(toolkit.messages.back().prompt, u"亲,NS码.txt文件找不到哦！") << why;
        EXPECT_EQ(toolkit.messages.back().title, u"温馨提示") << why;
        EXPECT_EQ(toolkit.messages.back().style, MsgBoxStyle::Critical) << why;
        EXPECT_TRUE(toolkit.openedFiles.empty()) << why;
    };
    toolkit.programDirectory = u"C:\\Program Files\\Quorvel";
    toolkit.files.insert(u"C:\\Quorvel\\NS码.txt");  // beside another directory
    Start();
    Lbl("Label10").UserClick();
    expectMessage("missing file");

    toolkit.files.insert(u"C:\\Program Files\\Quorvel\\NS码.txt");
    toolkit.commandsStart = false;
    Lbl("Label10").UserClick();
    expectMessage("editor does not start");

    toolkit.commandsStart = true;
    toolkit.programDirectory.reset();
    Lbl("Label10").UserClick();
    expectMessage("no program directory");
    EXPECT_EQ(toolkit.messages.size(), 3u);
}

using PowerCommands = ProgramTest;

TEST_F(PowerCommands, EachButtonHandsItsRequestToTheSystem) {
    Start();
    Btn("iButton5").UserClick();
    toolkit.Advance(8);
    Btn("iButton6").UserClick();
    Btn("iButton7").UserClick();
    Btn("iButton8").UserClick();
    EXPECT_EQ(toolkit.powerRequests,
              (std::vector<PowerRequest>{PowerRequest::Shutdown, PowerRequest::Restart, PowerRequest::LogOff}));
    EXPECT_TRUE(toolkit.messages.empty());
}

TEST_F(PowerCommands, TheyWorkWhileLockedAndFailSilently) {
    Start();
    LockWith(u"pw");
    const size_t saves = toolkit.storeOps.size();
    Btn("iButton5").UserClick();
    toolkit.Advance(8);
    Btn("iButton6").UserClick();
    EXPECT_EQ(toolkit.powerRequests, std::vector<PowerRequest>{PowerRequest::Shutdown});
    // Nothing else: the lock, the filter and the store stay as they were.
    EXPECT_EQ(toolkit.liveHooks.size(), 1u);
    EXPECT_FALSE(toolkit.processEnded);
    EXPECT_EQ(toolkit.storeOps.size(), saves);

    toolkit.commandsStart = false;
    Btn("iButton8").UserClick();
    EXPECT_TRUE(toolkit.messages.empty());
    EXPECT_EQ(toolkit.powerRequests.size(), 1u);
}

}  // namespace
}  // namespace quorvel::testing
