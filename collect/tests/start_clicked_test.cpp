// Runs started by the start handler, on threads of their own.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "collect/run_collection.h"
#include "fake_host.h"
#include "testing/file_contents.h"
#include "testing/gallery/gallery_fixture.h"
#include "testing/temp_dir.h"
#include "values/literal.h"

namespace qimbra::collect_tests {
namespace {

using testing::FixtureGallery;
using testing::ReadWholeFile;
using testing::TreeOf;

namespace fs = std::filesystem;

using Names = std::vector<std::string>;

TEST(OnStartClicked, TwoRunsGoSideBySideIntoTheirOwnFolders) {
    FixtureGallery gallery;
    testing::TempDir temp;
    gallery.SetArchive({{"p/1.html", "one"}, {"p/2.html", "two"}});
    gallery.SetEntry("p/1.html", {"a", "b", "c"});
    gallery.SetEntry("p/2.html", {"c", "b"});
    for (const char* name : {"a", "b", "c"}) gallery.SetImage(name, testing::Jpeg(name));
    auto left = std::make_shared<FakeHost>(Cp936(temp.Child("left")));
    auto right = std::make_shared<FakeHost>(Cp936(temp.Child("right")));

    const auto started = std::chrono::steady_clock::now();
    OnStartClicked(gallery.Settings(20), left);
    OnStartClicked(gallery.Settings(20), right);
    // Both return at once; the runs end on their own threads.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(100));
    ASSERT_TRUE(left->WaitForNotices(1));
    ASSERT_TRUE(right->WaitForNotices(1));

    const Names expected = {"one", "one/1.jpeg", "one/2.jpeg", "one/3.jpeg", "two", "two/1.jpeg", "two/2.jpeg"};
    EXPECT_EQ(TreeOf(fs::path(temp.Child("left"))), expected);
    EXPECT_EQ(TreeOf(fs::path(temp.Child("right"))), expected);
    EXPECT_EQ(ReadWholeFile(fs::path(temp.Child("right")) / "two" / "1.jpeg"), testing::Jpeg("c"));
    EXPECT_EQ(gallery.images().Requests().size(), 10u);
    EXPECT_EQ(left->Notices(), std::vector<Text>{Cp936("采集完成")});
}

}  // namespace
}  // namespace qimbra::collect_tests
