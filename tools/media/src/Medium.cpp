#include "Medium.h"

#include <QBuffer>
#include <QByteArray>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

#include "Causes.h"
#include "Gif.h"
#include "Languages.h"
#include "Layouts.h"
#include "Pdf.h"
#include "Render.h"
#include "Text.h"

namespace fs = std::filesystem;

namespace zavro::media {
namespace {

constexpr int kJpegQuality = 85;

class Writer {
public:
    void Put(const fs::path& path, const std::string& bytes, bool executable = false) {
        fs::create_directories(path.parent_path());
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            if (!out) throw std::runtime_error("cannot write " + path.string());
        }
        if (executable) {
            fs::permissions(path,
                            fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec,
                            fs::perm_options::replace);
        }
        ++stats.files;
        stats.bytes += bytes.size();
    }
    void PutJpeg(const fs::path& path, const QImage& img) {
        QByteArray data;
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        if (!img.save(&buffer, "JPG", kJpegQuality)) {
            throw std::runtime_error("JPEG encoder unavailable for " + path.string());
        }
        Put(path, std::string(data.constData(), static_cast<std::size_t>(data.size())));
    }

    MediumStats stats;
};

PdfDocument QuickGuide(const Language& l) {
    PdfDocument doc;
    doc.title = "QX-3150n " + l.T("doc.qig.title");
    PdfPage page;
    page.lines = {{PdfLine::Style::Title, "ZAVRO QX-3150n"},
                  {PdfLine::Style::Heading, l.T("doc.qig.title")},
                  {PdfLine::Style::Body, l.T("doc.qig.1")},
                  {PdfLine::Style::Body, l.T("doc.qig.2")},
                  {PdfLine::Style::Body, l.T("doc.qig.3")},
                  {PdfLine::Style::Body, l.T("doc.qig.4")},
                  {PdfLine::Style::Body, ""},
                  {PdfLine::Style::Body, "www.zavro-net.example"}};
    doc.pages.push_back(page);
    return doc;
}

PdfDocument Manual(const Language& l, const std::string& model) {
    PdfDocument doc;
    doc.title = model + " " + l.T("doc.manual.title");
    PdfPage first;
    first.lines = {{PdfLine::Style::Title, "ZAVRO " + model},
                   {PdfLine::Style::Heading, l.T("doc.manual.title")},
                   {PdfLine::Style::Body, l.T("doc.manual.intro")},
                   {PdfLine::Style::Heading, l.T("doc.manual.h1")},
                   {PdfLine::Style::Body, l.T("doc.manual.p1")}};
    PdfPage second;
    second.lines = {{PdfLine::Style::Heading, l.T("doc.manual.h2")},
                    {PdfLine::Style::Body, l.T("doc.manual.p2")},
                    {PdfLine::Style::Heading, l.T("doc.manual.h3")},
                    {PdfLine::Style::Body, l.T("doc.manual.p3")}};
    doc.pages = {first, second};
    return doc;
}

// One line for a screen reader: the picture's line breaks become spaces.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n') c = ' ';
    return text;
}

bool ReadsAsControl(Look look) {
    return look != Look::Value && look != Look::ModelName && look != Look::Animation;
}

IniSection AccessSection(const Language& l) {
    IniSection section{"ACCESS", {}};
    auto pages = LanguagePages();
    pages.insert(pages.begin(), LanguageChoicePage());
    for (const PageLayout& page : pages) {
        const bool choice = &page == &pages.front();
        if (!choice) {
            section.entries.emplace_back(page.name + ".title", l.T("title." + page.name));
            std::string text = l.T("body." + page.name);
            if (page.list.h > 0) text += " " + l.T("list." + page.name);
            section.entries.emplace_back(page.name + ".text", OneLine(text));
        }
        for (const Element& e : page.elements) {
            if (e.id == 0 || e.text.empty() || !ReadsAsControl(e.look)) continue;
            // A step badge reads as the step it marks, not as its bare number.
            std::string name = e.text.front() == '=' ? e.text.substr(1) : l.T(e.text);
            if (e.look == Look::Badge) name = l.T("acc.step") + " " + name;
            // A language's own name in a script an ANSI file cannot hold: the wizard's
            // built-in name is the same.
            if (l.encoding == IniEncoding::Ansi && !ToWindows1252(name)) continue;
            section.entries.emplace_back(page.name + "." + std::to_string(e.id), name);
        }
    }
    return section;
}

std::string StringIni(const Language& l) {
    IniSection section{"MESSAGE", l.messages};
    const auto& causes = CauseMessages(l.folder);
    for (const std::string& key : CauseKeys()) {
        bool found = false;
        for (const auto& entry : causes) found = found || entry.first == key;
        if (!found) {
            throw std::runtime_error("language " + std::to_string(l.folder) + " lacks " + key);
        }
    }
    section.entries.insert(section.entries.end(), causes.begin(), causes.end());
    for (const std::string& key : MessageKeys()) {
        bool found = false;
        for (const auto& entry : l.messages) found = found || entry.first == key;
        if (!found) {
            throw std::runtime_error("language " + std::to_string(l.folder) + " lacks " + key);
        }
    }
    return WriteIni({section, AccessSection(l)}, l.encoding);
}

std::string Readme(const fs::path& mediumDir, const fs::path& programDir) {
    const std::string w = fs::relative(programDir, mediumDir).generic_string();
    std::string s =
        "Zavro QX-3150n setup medium (demo)\n"
        "==================================\n\n"
        "AutoRun                the medium's menu program\n" +
        w + "/                the setup wizard; its program lies here\n" + w +
        "/image/01.jpg    language choice page\n" + w +
        "/image/<n>/      one folder per language: 1 English, 2 Dutch, 3 German.\n"
        "                       Page pictures NN.jpg (800 x 600), loading.gif and\n"
        "                       string.ini (section MESSAGE; folder 3 in UTF-16)\n" +
        w + "/Manual/         user manuals (PDF); per language in Manual/<n>/\n" + w +
        "/QIG/            quick installation guides (PDF)\n" + w +
        "/Firmware/       Firmware.bin, a dummy image for the router language page\n" + w +
        "/*.vbs           the PC network scripts (on this medium they only print a line)\n\n"
        "Everything on this medium is generated by zavro-mediagen during the build.\n";
    return s;
}

}  // namespace

std::string FirmwareImage() {
    std::string img =
        "ZAVRO-FW QX-3150n demo firmware image 0.1\r\n"
        "Test pattern only; not for flashing a real router.\r\n";
    img.resize(256, '\0');
    char line[17];
    while (img.size() < 64 * 1024) {
        std::snprintf(line, sizeof line, "ZAVRO-%08zX\r\n", img.size());
        img.append(line, 16);
    }
    return img;
}

std::string AutoRunScript() {
    return "#!/bin/sh\n"
           "# Menu program of the demo setup medium.\n"
           "echo \"Zavro setup menu\"\n"
           "if [ -n \"$ZAVRO_AUTORUN_LOG\" ]; then\n"
           "    echo \"AutoRun started\" >> \"$ZAVRO_AUTORUN_LOG\"\n"
           "fi\n"
           "exit 0\n";
}

std::string NetworkScript(const std::string& name) {
    return "#!/bin/sh\n"
           "# Demo stand-in for the medium's PC network script: it changes nothing.\n"
           "echo \"" +
           name +
           ": demo medium, PC network settings left unchanged\" >&2\n"
           "exit 0\n";
}

MediumStats WriteMedium(const fs::path& mediumDir, const fs::path& programDir) {
    Writer w;
    const fs::path image = programDir / "image";
    w.PutJpeg(image / "01.jpg", RenderPage(LanguageChoicePage(), nullptr));

    for (const Language& l : ShippedLanguages()) {
        const fs::path folder = image / std::to_string(l.folder);
        for (const PageLayout& page : LanguagePages()) {
            w.PutJpeg(folder / page.file, RenderPage(page, &l));
        }
        const std::vector<std::uint8_t> gif = EncodeGif(BuildLoadingGif(l));
        w.Put(folder / "loading.gif", std::string(gif.begin(), gif.end()));
        w.Put(folder / "string.ini", StringIni(l));

        w.Put(programDir / "QIG" / ("QX-3150_QIG_" + l.code + ".pdf"), WritePdf(QuickGuide(l)));
        const fs::path manuals = programDir / "Manual" / std::to_string(l.folder);
        w.Put(manuals / "QX-3150N_Manual.pdf", WritePdf(Manual(l, "QX-3150N")));
        w.Put(manuals / "QX-3150n_Manual.pdf", WritePdf(Manual(l, "QX-3150n")));
        w.Put(manuals / "QX-3150nS_Manual.pdf", WritePdf(Manual(l, "QX-3150nS")));
        if (l.folder == 1) {
            w.Put(programDir / "Manual" / "QX-3150n User Manual.pdf",
                  WritePdf(Manual(l, "QX-3150n")));
        }
    }

    w.Put(programDir / "Firmware" / "Firmware.bin", FirmwareImage());
    for (const char* script : {"dhcpsetting.vbs", "dns-replaceserverlist.vbs"}) {
        w.Put(programDir / script, NetworkScript(script), true);
    }
    w.Put(mediumDir / "AutoRun", AutoRunScript(), true);
    w.Put(mediumDir / "README.txt", Readme(mediumDir, programDir));
    return w.stats;
}

}  // namespace zavro::media
