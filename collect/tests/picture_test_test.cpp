#include "collect/picture_test.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "testing/temp_dir.h"

namespace qimbra {
namespace {

using namespace std::string_literals;

TEST(IsPicture, KnowsTheCommonFormatsAndNothingElse) {
    struct Case {
        const char* name;
        std::string bytes;
        bool picture;
    };
    const Case kCases[] = {
        {"jpeg", "\xFF\xD8\xFF\xE0\0\x10JFIF"s, true},
        {"png", "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s, true},
        {"gif87a", "GIF87a\x01\0"s, true},
        {"gif89a", "GIF89a"s, true},
        {"webp", "RIFF\x24\0\0\0WEBPVP8 "s, true},
        {"riff but wave", "RIFF\x24\0\0\0WAVEfmt "s, false},
        {"bmp", "BM\x36\x10\0\0\0\0\0\0\x36\0"s, true},
        {"text starting BM", "BMW is a car maker"s, false},
        {"tiff le", "II*\0\x08\0\0\0"s, true},
        {"tiff be", "MM\0*\0\0\0\x08"s, true},
        {"ico", "\0\0\1\0\1\0"s, true},
        {"avif",
         "\0\0\0\x1C"
         "ftypavif\0\0\0\0"s,
         true},
        {"heic",
         "\0\0\0\x18"
         "ftypheic\0\0\0\0"s,
         true},
        {"mp4 is no picture",
         "\0\0\0\x18"
         "ftypisom\0\0\0\0"s,
         false},
        {"jpeg xl", "\xFF\x0A\xFA"s, true},
        {"jpeg xl box", "\0\0\0\x0CJXL \r\n\x87\n"s, true},
        {"empty", ""s, false},
        {"short jpeg start", "\xFF\xD8"s, false},
        {"html", "<!DOCTYPE html><html>"s, false},
        {"gzip", "\x1F\x8B\x08\0"s, false},
        {"json", "{\"error\": 404}"s, false},
        {"leading blank", " \xFF\xD8\xFF"s, false},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsPicture(c.bytes), c.picture);
    }
}

TEST(FileHoldsPicture, LooksAtTheFilesFirstBytes) {
    const testing::TempDir temp;
    const auto write = [&](const char* name, const std::string& bytes) {
        std::ofstream(temp.Child(name), std::ios::binary) << bytes;
        return Text(temp.Child(name));
    };
    EXPECT_TRUE(FileHoldsPicture(write("a.jpeg", "\xFF\xD8\xFF" + std::string(100000, 'x'))));
    EXPECT_FALSE(FileHoldsPicture(write("b.jpeg", "<html>404</html>")));
    EXPECT_FALSE(FileHoldsPicture(write("c.jpeg", "")));
    EXPECT_FALSE(FileHoldsPicture(Text(temp.Child("missing.jpeg"))));
    EXPECT_FALSE(FileHoldsPicture(Text(temp.path())));  // a folder
    EXPECT_FALSE(FileHoldsPicture(Text()));
}

}  // namespace
}  // namespace qimbra
