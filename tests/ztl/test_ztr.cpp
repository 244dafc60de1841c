// ZTR image files: exact bytes, round trips, and every failure path (open,
// short header, malformed header, short pixel block, memory, long names,
// write errors), none of which may crash, leak or leave a partial file.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "ztl_test_support.h"

namespace {

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

int open_descriptors() {
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
    return count;
}

class ZtrTest : public ZtlTest {
protected:
    void SetUp() override {
        ZtlTest::SetUp();
        char pattern[] = "/tmp/ztl_ztr_XXXXXX";
        dir = mkdtemp(pattern);
        descriptors = open_descriptors();
    }
    void TearDown() override {
        EXPECT_EQ(open_descriptors(), descriptors) << "a file was left open";
        std::string command = "rm -rf '" + dir + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        ZtlTest::TearDown();
    }
    std::string at(const std::string& name) const { return dir + "/" + name; }
    // Loads path and returns what went to the error stream.
    std::string load_saying(const std::string& path, ztl_image** image) {
        testing::internal::CaptureStderr();
        *image = ztl_image_load(path.c_str());
        return testing::internal::GetCapturedStderr();
    }
    std::string dir;
    int descriptors = 0;
};

TEST_F(ZtrTest, SaveWritesTheHeaderAndPackedRows) {
    ztl_image* image = ztl_image_new(5, 2, nullptr);
    set_level(image, 0, 0, 1);
    set_level(image, 3, 0, 3);
    set_level(image, 4, 0, 2);
    set_level(image, 4, 1, 3);
    ASSERT_EQ(ztl_image_save(at("board").c_str(), image), 0);
    EXPECT_EQ(read_file(at("board.ztr")), std::string("#ZTR000100050002\xC1\x02\x00\x03", 20));
    struct stat info;
    ASSERT_EQ(stat(at("board.ztr").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
    ztl_image_free(image);
}

TEST_F(ZtrTest, RoundTripNeedsTheFullName) {
    ztl_image* image = ztl_image_new(37, 11, nullptr);
    fill_pattern(image, 8);
    ASSERT_EQ(ztl_image_save(at("board").c_str(), image), 0);
    ztl_image* missing = nullptr;
    std::string said = load_saying(at("board"), &missing);
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(said.rfind("open: ", 0), 0u) << said;
    ztl_image* loaded = ztl_image_load(at("board.ztr").c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->width, 37);
    EXPECT_EQ(loaded->height, 11);
    EXPECT_EQ(loaded->flags, 3u);
    EXPECT_EQ(std::memcmp(loaded->pixels, image->pixels, 10 * 11), 0);
    ztl_image_free(loaded);
    ztl_image_free(image);
}

TEST_F(ZtrTest, SavingAViewWritesRowsAsTheHeaderPromises) {
    ztl_image* parent = ztl_image_new(64, 8, nullptr);
    fill_pattern(parent, 12);
    ztl_image view;
    ztl_image_view(parent, 8, 5, 10, 3, &view);
    ASSERT_EQ(ztl_image_save(at("view").c_str(), &view), 0);
    EXPECT_EQ(read_file(at("view.ztr")).size(), 16u + 3 * 3);
    ztl_image* loaded = ztl_image_load(at("view.ztr").c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(picture(loaded, 0, 0, 10, 3), picture(parent, 8, 5, 10, 3));
    ztl_image_free(loaded);
    ztl_image_free(parent);
}

TEST_F(ZtrTest, KindDigitsAreIgnoredOnLoad) {
    for (const char* kind : {"0000", "0001", "4321"}) {
        write_file(at("k.ztr"), std::string("#ZTR") + kind + "00040001" + "\x1B");
        ztl_image* image = ztl_image_load(at("k.ztr").c_str());
        ASSERT_NE(image, nullptr) << kind;
        EXPECT_EQ(image->pixels[0], 0x1B);
        ztl_image_free(image);
    }
}

// Negative sizes parse but make no image.
TEST_F(ZtrTest, MalformedHeadersAreRejectedSilently) {
    const std::string headers[] = {"#ZTR9999abcdefgh", "#ZTX000100040001", "ZTR0001000400010",
                                   "#ZTR00010004zzzz", std::string("#ZTR0001\0" "0040001", 16),
                                   "#ZTR0001-0030002"};
    for (const auto& header : headers) {
        write_file(at("bad.ztr"), header + std::string(64, '\0'));
        ztl_image* image = nullptr;
        EXPECT_EQ(load_saying(at("bad.ztr"), &image), "") << header;
        EXPECT_EQ(image, nullptr) << header;
    }
}

TEST_F(ZtrTest, ShortFilesAreRejectedWithTheReadMessage) {
    for (const std::string& bytes : {std::string(""), std::string("#ZTR00010004"),
                                     std::string("#ZTR000100080004") + std::string(7, 'x')}) {
        write_file(at("short.ztr"), bytes);
        ztl_image* image = nullptr;
        std::string said = load_saying(at("short.ztr"), &image);
        EXPECT_EQ(image, nullptr);
        EXPECT_EQ(said.rfind("read: ", 0), 0u) << said;
    }
}

TEST_F(ZtrTest, FailedPixelAllocationFailsCleanly) {
    write_file(at("ok.ztr"), "#ZTR000100040002" + std::string(2, '\x55'));
    for (int skip : {0, 1}) {  // the record, then the pixel block
        ztl_fail_allocations(skip, 1);
        ztl_image* image = nullptr;
        EXPECT_EQ(load_saying(at("ok.ztr"), &image), "");
        ztl_fail_next_allocations(0);
        EXPECT_EQ(image, nullptr);
    }
}

TEST_F(ZtrTest, LongNamesNeverOverflowThePathBuffer) {
    ztl_image* image = ztl_image_new(4, 1, nullptr);
    // A 251-character name with ".ztr" and the NUL fills the 256 bytes exactly.
    std::string base = at("");
    std::string fits = base + std::string(251 - base.size(), 'n');
    std::string too_long = base + std::string(252 - base.size(), 'n');
    ASSERT_EQ(ztl_image_save(fits.c_str(), image), 0);
    EXPECT_TRUE(exists(fits + ".ztr"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(ztl_image_save(too_long.c_str(), image), -1);
    EXPECT_EQ(ztl_image_save(std::string(5000, 'x').c_str(), image), -1);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("open: ", 0), 0u) << said;
    EXPECT_FALSE(exists(too_long + ".ztr"));
    ztl_image_free(image);
}

TEST_F(ZtrTest, UnopenableTargetReportsOpen) {
    ztl_image* image = ztl_image_new(4, 1, nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(ztl_image_save(at("no/such/dir/x").c_str(), image), -1);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "open: No such file or directory\n");
    ztl_image_free(image);
}

TEST_F(ZtrTest, ImagesTooLargeForTheHeaderAreNotWritten) {
    ztl_image* image = ztl_image_new(10000, 1, nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(ztl_image_save(at("wide").c_str(), image), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("write: ", 0), 0u);
    EXPECT_FALSE(exists(at("wide.ztr")));
    ztl_image_free(image);
}

TEST_F(ZtrTest, AFailedWriteLeavesNoFile) {
    ztl_image* image = ztl_image_new(640, 240, nullptr);
    // A file size limit makes the pixel write fail part-way.
    struct rlimit old_limit;
    getrlimit(RLIMIT_FSIZE, &old_limit);
    struct rlimit small = old_limit;
    small.rlim_cur = 1000;
    auto old_handler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    testing::internal::CaptureStderr();
    int result = ztl_image_save(at("full").c_str(), image);
    std::string said = testing::internal::GetCapturedStderr();
    setrlimit(RLIMIT_FSIZE, &old_limit);
    signal(SIGXFSZ, old_handler);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(said.rfind("write: ", 0), 0u) << said;
    EXPECT_FALSE(exists(at("full.ztr")));
    ztl_image_free(image);
}

TEST_F(ZtrTest, ArbitraryBytesNeverCrash) {
    std::mt19937 random(2024);
    for (int round = 0; round < 300; ++round) {
        std::string bytes = "#ZTR";
        int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i)
            bytes += static_cast<char>(round % 2 ? '0' + random() % 10 : random() % 256);
        write_file(at("fuzz.ztr"), bytes);
        ztl_image* image = nullptr;
        load_saying(at("fuzz.ztr"), &image);
        if (image != nullptr) {
            EXPECT_LE(16 + static_cast<long>(image->bytes_per_line) * image->height, static_cast<long>(bytes.size()));
            ztl_image_free(image);
        }
    }
}

}  // namespace
