#include "support/TestEnv.h"

#include <unistd.h>

#include <atomic>
#include <fstream>

#include "app/Texts.h"
#include "app/ZavroApp.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace zavro::test {

std::string TableProfile::ReadA(const std::string& path, const std::string& section,
                                const std::string& key, const std::string& def,
                                std::size_t maxBytes) {
    std::lock_guard lock(m_mutex);
    lookups.push_back({path, section, key, false});
    const auto it = values.find(path + "|" + section + "|" + key);
    std::string v = it != values.end() ? it->second : Echoes(key) ? key : def;
    if (maxBytes > 0 && v.size() > maxBytes - 1) v.resize(maxBytes - 1);
    return v;
}

static std::string Narrow(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) out.push_back(static_cast<char>(c));
    return out;
}

std::u16string TableProfile::ReadW(const std::u16string& path, const std::u16string& section,
                                   const std::u16string& key, const std::u16string& def,
                                   std::size_t maxChars) {
    std::lock_guard lock(m_mutex);
    lookups.push_back({Narrow(path), Narrow(section), Narrow(key), true});
    const auto it = values.find(Narrow(path) + "|" + Narrow(section) + "|" + Narrow(key));
    if (it == values.end()) return Echoes(Narrow(key)) ? key : def;
    // Values are UTF-8 in the table; decode the BMP part, which is all tests need.
    std::u16string out;
    const std::string& v = it->second;
    for (std::size_t i = 0; i < v.size();) {
        unsigned char c = static_cast<unsigned char>(v[i]);
        char32_t cp;
        int len;
        if (c < 0x80) {
            cp = c;
            len = 1;
        } else if ((c >> 5) == 6) {
            cp = c & 0x1F;
            len = 2;
        } else {
            cp = c & 0x0F;
            len = 3;
        }
        for (int k = 1; k < len && i + k < v.size(); ++k) cp = (cp << 6) | (v[i + k] & 0x3F);
        out.push_back(static_cast<char16_t>(cp));
        i += static_cast<std::size_t>(len);
    }
    if (maxChars > 0 && out.size() > maxChars - 1) out.resize(maxChars - 1);
    return out;
}

std::vector<std::uint8_t> EncodePng(const Image& image) {
    std::vector<std::uint8_t> rgba(image.pixels.size() * 4);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        const std::uint32_t p = image.pixels[i];
        rgba[i * 4] = static_cast<std::uint8_t>(p >> 16);
        rgba[i * 4 + 1] = static_cast<std::uint8_t>(p >> 8);
        rgba[i * 4 + 2] = static_cast<std::uint8_t>(p);
        rgba[i * 4 + 3] = static_cast<std::uint8_t>(p >> 24);
    }
    std::vector<std::uint8_t> out;
    stbi_write_png_to_func(
        [](void* ctx, void* data, int size) {
            auto* o = static_cast<std::vector<std::uint8_t>*>(ctx);
            auto* b = static_cast<std::uint8_t*>(data);
            o->insert(o->end(), b, b + size);
        },
        &out, image.width, image.height, 4, rgba.data(), image.width * 4);
    return out;
}

void WritePicture(const std::filesystem::path& path, int width, int height, std::uint32_t colour) {
    Image img(width, height, colour);
    // A darker block marks the top-left corner, so position mistakes show.
    img.Fill({0, 0, width / 8, height / 8}, 0xFF101010u);
    const auto bytes = EncodePng(img);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

TestEnv::TestEnv() : m_saved(Ports()) {
    static std::atomic<int> counter{0};
    // Generic ('/') form, so that paths built by the tests match on Windows too.
    root = (std::filesystem::temp_directory_path() /
            ("zavro-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++)))
               .generic_string();
    std::filesystem::remove_all(root);
    programDir = (root / "Wizard").generic_string();
    std::filesystem::create_directories(programDir / "image");
    system.programPath = (programDir / "zavro").generic_string();
    system.commandLine = system.programPath;

    theApp.Reset();
    theApp.SetLanguage(1);  // as start-up leaves it
    Platform& p = Ports();
    p.system = &system;
    p.clock = &clock;
    p.shell = &shell;
    p.profile = &profile;
    p.pictures = &pictures;
    p.ui = &ui;
    p.tcp = &tcp;
    p.homeUrl = "http://127.0.0.1:9/";
}

TestEnv::~TestEnv() {
    ui.RunPending();
    Ports() = m_saved;
    theApp.Reset();
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
}

void TestEnv::AddPicture(int language, const std::string& name, std::uint32_t colour) {
    auto dir = programDir / "image";
    if (language > 0) dir /= std::to_string(language);
    WritePicture(dir / name, 800, 600, colour);
}

void TestEnv::AddAllPictures() {
    // Encoded once per run and copied: encoding is what would make page tests slow.
    static const std::filesystem::path master = [] {
        const auto p = std::filesystem::temp_directory_path() /
                       ("zavro-test-picture-" + std::to_string(::getpid()) + ".png");
        WritePicture(p, 800, 600, 0xFF3366AAu);
        return p;
    }();
    const auto image = programDir / "image";
    std::filesystem::create_directories(image);
    std::filesystem::copy_file(master, image / "01.jpg",
                               std::filesystem::copy_options::overwrite_existing);
    static const char* const kNames[] = {
        "02.jpg", "03.jpg",    "04.jpg", "05.jpg",        "07.jpg", "08.jpg", "09.jpg",
        "10.jpg", "11.jpg",    "12.jpg", "13.jpg",        "14.jpg", "15.jpg", "16.jpg",
        "17.jpg", "18(1).jpg", "18.jpg", "18_nonext.jpg", "19.jpg", "20.jpg", "21.jpg",
        "22.jpg", "23.jpg",    "24.jpg", "25.jpg"};
    for (int lang : {1, 2}) {
        const auto dir = image / std::to_string(lang);
        std::filesystem::create_directories(dir);
        for (const char* n : kNames)
            std::filesystem::copy_file(master, dir / n,
                                       std::filesystem::copy_options::overwrite_existing);
    }
}

}  // namespace zavro::test
