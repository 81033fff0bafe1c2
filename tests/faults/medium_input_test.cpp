// Bad files on the setup medium: pictures that are missing, cut short or not pictures,
// string.ini files without their section or in odd encodings, a "loading.gif" that is no
// GIF, a firmware image that goes away after Browse, and folders whose names hold spaces
// and characters beyond ASCII. Each gives its message (or none where none is named) and
// the program goes on.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fault_rig.h"
#include "platform/posix/ProfileReader.h"

namespace zavro {
namespace {

namespace fs = std::filesystem;
using test::FakeWindow;
using test::FaultRig;

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Utf16Le(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

std::string Utf16Be(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        out += static_cast<char>(c >> 8);
        out += static_cast<char>(c & 0xFF);
    }
    return out;
}

// A 1 by 1 GIF with one frame.
const std::string kTinyGif(
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\xFF\xFF\xFF\x00\x00\x00"
    "\x21\xF9\x04\x00\x00\x00\x00\x00"
    "\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3B",
    43);

// The real profile reader on real files, every page picture in place.
class MediumTest : public ::testing::Test {
protected:
    void SetUp() override { Ports().profile = &reader; }
    fs::path Lang1() { return rig.env.programDir / "image" / "1"; }
    // PPPoE Next with empty fields: the page's "Input_The_Info".
    std::vector<std::string> InputMessage() {
        rig.env.ui.ClearMessages();
        FakeWindow* w = rig.Open(WM_PAGE_PPPOE);
        EXPECT_NE(w, nullptr);
        if (w) {
            EXPECT_TRUE(w->Click(1013));
        }
        EXPECT_EQ(rig.TopTitle(), "CZavroPPPoE");
        return rig.Messages();
    }

    FaultRig rig;
    ProfileReader reader;
};

TEST_F(MediumTest, StringIniEncodingsAndMissingSection) {
    const std::u16string good = u"[MESSAGE]\r\nInput_The_Info=Bitte ausf\u00FCllen\r\n";
    struct Case {
        const char* name;
        std::string bytes;
        std::string shown;
    };
    const Case cases[] = {
        {"UTF-16LE with mark", "\xFF\xFE" + Utf16Le(good), "Bitte ausf\xC3\xBCllen"},
        {"UTF-16BE with mark", "\xFE\xFF" + Utf16Be(good), "Bitte ausf\xC3\xBCllen"},
        {"ANSI bytes", "[MESSAGE]\r\nInput_The_Info=Bitte ausf\xFCllen\r\n",
         "Bitte ausf\xC3\xBCllen"},
        // An odd trailing byte is dropped; the rest still reads.
        {"odd byte count", "\xFF\xFE" + Utf16Le(good) + "\x41", "Bitte ausf\xC3\xBCllen"},
        {"mark only", "\xFF\xFE", ""},
        {"empty file", "", ""},
        // Without a mark the file is bytes: the zero bytes keep every name from matching.
        {"UTF-16LE without mark", Utf16Le(good), ""},
        {"no MESSAGE section", "[TEXT]\r\nInput_The_Info=elsewhere\r\n", ""},
        {"key missing", "[MESSAGE]\r\nOther=1\r\n", ""},
        {"binary junk", std::string("\x00\x01\xFF\xFE[\x00\n=\r", 10), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(Lang1() / "string.ini", c.bytes);
        EXPECT_EQ(InputMessage(), std::vector<std::string>{c.shown});
    }
    fs::remove(Lang1() / "string.ini");
    EXPECT_EQ(InputMessage(), std::vector<std::string>{""}) << "no string.ini";
    EXPECT_TRUE(rig.env.system.Exits().empty());
}

TEST_F(MediumTest, ValuesLongerThanTheBufferAreCut) {
    WriteFile(Lang1() / "string.ini",
              "\xFF\xFE" + Utf16Le(u"[MESSAGE]\r\nInput_The_Info=" + std::u16string(3000, u'w')));
    const auto shown = InputMessage();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], std::string(511, 'w'));
}

TEST_F(MediumTest, BadPagePicturesEndTheProgramWithTheirMessage) {
    WriteFile(Lang1() / "string.ini", "[MESSAGE]\r\nload_image_error=Picture missing\r\n");
    const std::string png = ReadFile(rig.env.programDir / "image" / "01.jpg");
    ASSERT_GT(png.size(), 200u);
    struct Case {
        const char* name;
        bool present;
        std::string bytes;
    };
    const Case cases[] = {
        {"missing", false, ""},
        {"empty", true, ""},
        {"cut after the header", true, png.substr(0, 60)},
        {"cut in half", true, png.substr(0, png.size() / 2)},
        {"text named .jpg", true, "<html>this is no picture</html>\n"},
        {"GIF signature, nothing after", true, "GIF89a"},
        {"a folder", true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path picture = Lang1() / "21.jpg";  // the wireless name page
        fs::remove_all(picture);
        if (std::string(c.name) == "a folder") {
            fs::create_directories(picture);
        } else if (c.present) {
            WriteFile(picture, c.bytes);
        }
        const std::size_t exits = rig.env.system.Exits().size();
        rig.env.ui.ClearMessages();
        rig.Open(WM_PAGE_ESSID);
        EXPECT_EQ(rig.Messages(), std::vector<std::string>{"Picture missing"});
        const auto codes = rig.env.system.Exits();
        ASSERT_EQ(codes.size(), exits + 1);
        EXPECT_EQ(codes.back(), 1);
    }
}

TEST_F(MediumTest, LoadingGifThatIsNoGifLeavesTheResultPageWorking) {
    const std::string cases[] = {
        "this is text, not a GIF\n",          // no signature
        kTinyGif.substr(0, 13),               // header only
        kTinyGif.substr(0, 30),               // cut inside the frame
        "GIF89a" + std::string(200, '\xEE'),  // the signature, then junk
        "",                                   // empty
    };
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(bytes.size());
        FaultRig r;
        ASSERT_TRUE(r.started);
        WriteFile(r.env.programDir / "image" / "1" / "loading.gif", bytes);
        theApp.m_pszRebootKey = kRebootKeyWpa;
        ASSERT_NE(r.Open(WM_PAGE_SUCCESS), nullptr);
        r.DriveResultWorker(150000);
        EXPECT_TRUE(r.Messages().empty());
        EXPECT_EQ(theApp.m_bResultImage, 1);  // the completion picture came all the same
        EXPECT_EQ(r.TopTitle(), "CZavroSuccess");
        EXPECT_EQ(RunningWorkers(), 0u);
    }
}

TEST(MediumFirmware, ImageGoneAfterBrowseSendsNothing) {
    FaultRig r;
    ASSERT_TRUE(r.started);
    const fs::path image = r.env.root / "fw.bin";
    WriteFile(image, std::string(4096, 'F'));
    FakeWindow* w = r.Open(WM_PAGE_UPDATEFIRM);
    ASSERT_NE(w, nullptr);
    r.env.ui.fileAnswers.push_back(image.string());
    ASSERT_TRUE(w->Click(1016));  // Browse
    EXPECT_EQ(w->GetText(1023), image.string());
    fs::remove(image);
    ASSERT_TRUE(w->Click(1017));
    // A file that cannot be opened gives no message; the page stays as it was.
    EXPECT_TRUE(r.Messages().empty());
    EXPECT_EQ(r.TopTitle(), "CZavroUpdateFirM");
    EXPECT_TRUE(w->IsControlEnabled(1017));
    EXPECT_EQ(w->GetText(1023), image.string());
    EXPECT_EQ(r.sim->GetState().firmwareUploads, 0);
    EXPECT_TRUE(r.sim->Requests().empty());

    // A folder where the image should be cannot be opened either.
    fs::create_directories(image);
    ASSERT_TRUE(w->Click(1017));
    EXPECT_TRUE(r.Messages().empty());
    EXPECT_TRUE(r.sim->Requests().empty());
    EXPECT_EQ(r.sim->GetState().firmwareUploads, 0);
    EXPECT_EQ(r.TopTitle(), "CZavroUpdateFirM");
    EXPECT_TRUE(w->IsControlEnabled(1017));
}

TEST(MediumFirmware, LanguagePageWithoutItsImageStaysQuiet) {
    FaultRig r;
    ASSERT_TRUE(r.started);
    FakeWindow* w = r.Open(WM_PAGE_SETLANGUAGE);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(w->Click(1066));
    EXPECT_TRUE(r.Messages().empty());
    EXPECT_EQ(r.TopTitle(), "CZavroSetLanguage");
    EXPECT_TRUE(w->IsControlEnabled(1066));
    EXPECT_EQ(r.sim->GetState().firmwareUploads, 0);
}

TEST(MediumPaths, SpacesAndCharactersBeyondAscii) {
    FaultRig r;
    ASSERT_TRUE(r.started);
    ProfileReader reader;
    Ports().profile = &reader;
    // The medium copied into a folder with a space, umlauts, a symbol and CJK.
    const fs::path base = r.env.root / "Setup Disk \xC3\x84\xC3\xB6 \xE2\x9C\x93 \xE6\xB5\x8B";
    r.env.programDir = base / "Wizard";
    r.env.system.programPath = (r.env.programDir / "zavro").string();
    r.env.system.commandLine = r.env.system.programPath;
    r.env.AddAllPictures();
    WriteFile(r.env.programDir / "image" / "1" / "string.ini",
              "\xFF\xFE" + Utf16Le(u"[MESSAGE]\r\nInput_The_Info=Fill in\r\n"
                                   u"Firm_Update_Failed=Not taken\r\n"));

    FakeWindow* w = r.Open(WM_PAGE_PPPOE);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(r.env.system.Exits().empty());  // the picture was found
    ASSERT_TRUE(w->Click(1013));
    EXPECT_EQ(r.Messages(), std::vector<std::string>{"Fill in"});

    // A firmware image under such a folder goes up, its name as given.
    const fs::path image = base / "Firmware \xC3\xA9t\xC3\xA9" / "image 1.bin";
    WriteFile(image, std::string(100000, 'Z'));
    r.env.ui.ClearMessages();
    FakeWindow* f = r.Open(WM_PAGE_UPDATEFIRM);
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(f->Type(1023, image.string()));
    ASSERT_TRUE(f->Click(1017));
    EXPECT_TRUE(r.Messages().empty());
    const routersim::State state = r.sim->GetState();
    EXPECT_EQ(state.firmwareUploads, 1);
    EXPECT_EQ(state.firmwareBytes, 100000u);
    EXPECT_EQ(state.firmwareName, image.string());
}

}  // namespace
}  // namespace zavro
