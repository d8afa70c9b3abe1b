#include "app/save_directory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace qimbra {
namespace {

// Writers keep replacing the values while readers read them: every read is
// one whole value that was written, never a mixture or a released one. Long
// values keep the strings on the heap, where a torn read would show.
TEST(SaveDirectory, ReplacedWhileOtherThreadsRead) {
    const std::vector<Text> values = {Text(std::string(300, 'a')), Text(std::string(40, 'b')), Text(),
                                      Text(std::string(1000, 'c'))};
    struct Shared {
        Text (*read)();
        void (*write)(const Text&);
    };
    const Shared kinds[] = {{SaveDirectory, SetSaveDirectory}, {ReadSaveFolderBox, StoreSaveFolderBox}};
    for (const Shared& kind : kinds) {
        kind.write(values[0]);
        std::atomic<bool> stop = false;
        std::atomic<int> bad_reads = 0;
        std::vector<std::thread> threads;
        for (int w = 0; w < 2; ++w) {
            threads.emplace_back([&, w] {
                for (int i = 0; i < 20000; ++i) kind.write(values[(i + w) % values.size()]);
            });
        }
        for (int r = 0; r < 2; ++r) {
            threads.emplace_back([&] {
                while (!stop) {
                    const Text seen = kind.read();
                    if (std::find(values.begin(), values.end(), seen) == values.end()) ++bad_reads;
                }
            });
        }
        threads[0].join();
        threads[1].join();
        stop = true;
        for (size_t i = 2; i < threads.size(); ++i) threads[i].join();
        EXPECT_EQ(bad_reads, 0);
        kind.write(Text("last"));
        EXPECT_EQ(kind.read(), Text("last"));
    }
    SetSaveDirectory(Text());
}

}  // namespace
}  // namespace qimbra
