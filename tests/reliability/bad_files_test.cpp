// Bad files at start: whatever the skin picture, the settings file and the
// device folder hold, the program starts, runs a short session headless and
// writes its screenshots. A skin that cannot be used leaves the widgets
// without images; a settings line that names nothing lists nothing.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char kSession[] =
    "shot start.png\n"
    "tap 230 10\ntap 230 50\n"  // the files screen
    "tap 50 236\n"              // the first sub-directory, if any
    "tap 100 28\n"              // back up
    "shot files.png\n"
    "tap 230 10\ntap 230 10\n"  // the drawing editor
    "drag 50 100 150 200\n"
    "tap 200 10\ntap 210 90\n"  // the select tool
    "tap 100 150\n"
    "shot editor.png\n";

class StartFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kn_badfiles_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        base_ = pattern;
        root_ = base_ + "/root";
        out_ = base_ + "/out";
        mkdir(root_.c_str(), 0755);
        mkdir((root_ + "/tovu").c_str(), 0755);
        mkdir((root_ + "/pictures").c_str(), 0755);
        mkdir(out_.c_str(), 0755);
        std::ofstream(base_ + "/session.script") << kSession;
    }
    void TearDown() override {
        (void)std::system(("chmod -R u+rwx '" + base_ + "' && rm -rf '" + base_ + "'").c_str());
    }

    std::string Tovu(const char* name) const { return root_ + "/tovu/" + name; }
    std::string Skin() const { return Tovu("skin1.png"); }
    std::string Settings() const { return Tovu("kalvenorix.ini"); }

    // Exit status of the program on the session, with the given root.
    int Run(const std::string& root) {
        const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=none timeout 120 '" +
                                    std::string(KN_EXECUTABLE) + "' --script '" + base_ +
                                    "/session.script' --root '" + root + "' --out '" + out_ + "' > '" +
                                    base_ + "/log' 2>&1 </dev/null";
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    std::string Log() const {
        std::ifstream in(base_ + "/log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool ShotsWritten() const {
        for (const char* name : {"start.png", "files.png", "editor.png"}) {
            struct stat info;
            if (stat((out_ + "/" + name).c_str(), &info) != 0 || info.st_size == 0) return false;
        }
        return true;
    }
    void ExpectSessionWorks(const std::string& root) {
        ASSERT_EQ(Run(root), 0) << Log();
        EXPECT_TRUE(ShotsWritten()) << Log();
    }
    void ExpectSessionWorks() { ExpectSessionWorks(root_); }

    std::string base_, root_, out_;
};

std::vector<char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A grey RGB picture of the given size.
bool WritePng(const std::string& path, uint32_t width, uint32_t height) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(width * 3, 128);
    for (uint32_t y = 0; y < height; ++y) png_write_row(png, row.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return true;
}

const std::string kRealSkin = std::string(KN_ASSET_DIR) + "/device/tovu/skin1.png";

}  // namespace

// ---------------------------------------------------------------------------
// The skin picture
// ---------------------------------------------------------------------------
TEST_F(StartFolder, GoodFilesGiveTheReferenceRun) {
    WriteBytes(Skin(), ReadBytes(kRealSkin));
    std::ofstream(Settings()) << "\\pictures\n";
    ExpectSessionWorks();
}

TEST_F(StartFolder, MissingSkin) { ExpectSessionWorks(); }

TEST_F(StartFolder, EmptySkin) {
    WriteBytes(Skin(), {});
    ExpectSessionWorks();
}

TEST_F(StartFolder, TruncatedSkin) {
    std::vector<char> bytes = ReadBytes(kRealSkin);
    ASSERT_GT(bytes.size(), 1000u);
    for (size_t keep : {size_t{8}, size_t{40}, bytes.size() / 2}) {
        WriteBytes(Skin(), std::vector<char>(bytes.begin(), bytes.begin() + static_cast<long>(keep)));
        ExpectSessionWorks();
    }
}

TEST_F(StartFolder, CorruptSkin) {
    std::vector<char> bytes = ReadBytes(kRealSkin);
    for (size_t i = bytes.size() / 3; i < bytes.size() / 3 + 64; ++i) bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
    WriteBytes(Skin(), bytes);
    ExpectSessionWorks();
}

TEST_F(StartFolder, OversizedSkin) {
    ASSERT_TRUE(WritePng(Skin(), 5000, 2));
    ExpectSessionWorks();
}

TEST_F(StartFolder, SkinThatIsNoPng) {
    std::ofstream(Skin()) << "GIF89a, or rather not a picture at all\n";
    ExpectSessionWorks();
}

// Widget images lie outside such a picture: they are left out, not read.
TEST_F(StartFolder, SkinSmallerThanTheTablesExpect) {
    for (uint32_t side : {1u, 20u, 100u}) {
        ASSERT_TRUE(WritePng(Skin(), side, side));
        ExpectSessionWorks();
    }
}

TEST_F(StartFolder, SkinThatIsAFolder) {
    mkdir(Skin().c_str(), 0755);
    ExpectSessionWorks();
}

// ---------------------------------------------------------------------------
// The settings file
// ---------------------------------------------------------------------------
TEST_F(StartFolder, EmptySettings) {
    std::ofstream(Settings()) << "";
    ExpectSessionWorks();
}

TEST_F(StartFolder, BinarySettings) {
    std::vector<char> bytes;
    for (int i = 0; i < 2000; ++i) bytes.push_back(static_cast<char>((i * 73 + 11) & 0xFF));
    WriteBytes(Settings(), bytes);
    ExpectSessionWorks();
}

TEST_F(StartFolder, SettingsWithoutALineEnd) {
    std::ofstream(Settings()) << "\\pictures";
    ExpectSessionWorks();
}

TEST_F(StartFolder, SettingsWithAVeryLongLine) {
    std::ofstream(Settings()) << std::string(5000, 'x') << "\n\\pictures\n";
    ExpectSessionWorks();
    std::ofstream(Settings()) << "\\" << std::string(600, 'y') << "\\\n";
    ExpectSessionWorks();
}

TEST_F(StartFolder, SettingsNamingAFolderThatDoesNotExist) {
    std::ofstream(Settings()) << "\\no\\such\\folder\r\n";
    ExpectSessionWorks();
    std::ofstream(Settings()) << "\\..\\..\\etc\n";
    ExpectSessionWorks();
}

TEST_F(StartFolder, SettingsThatIsAFolder) {
    mkdir(Settings().c_str(), 0755);
    ExpectSessionWorks();
}

// ---------------------------------------------------------------------------
// The device folder
// ---------------------------------------------------------------------------
TEST_F(StartFolder, EmptyDeviceFolder) {
    const std::string empty = base_ + "/empty";
    mkdir(empty.c_str(), 0755);
    ExpectSessionWorks(empty);
}

// Without read permission nothing can be listed or loaded (the superuser
// reads it anyway; the session must work either way).
TEST_F(StartFolder, UnreadableDeviceFolder) {
    WriteBytes(Skin(), ReadBytes(kRealSkin));
    chmod((root_ + "/pictures").c_str(), 0);
    chmod(root_.c_str(), 0111);
    ExpectSessionWorks();
    chmod(root_.c_str(), 0);
    ExpectSessionWorks();
}

// A root that does not exist is refused on the command line, with a message,
// before anything starts.
TEST_F(StartFolder, DeviceFolderThatDoesNotExist) {
    EXPECT_EQ(Run(base_ + "/nowhere"), 2);
    EXPECT_NE(Log().find("is not a folder"), std::string::npos) << Log();
}
