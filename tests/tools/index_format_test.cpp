#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <functional>

#include "tools/mdsearch/metadata_index.h"

using namespace mdsearch;

namespace {

IndexNode node(uint32_t parent, uint32_t end, ItemType type, uint32_t nameOffset,
               uint32_t nameLength) {
    IndexNode n{};
    n.parent = parent;
    n.end = end;
    n.type = uint8_t(type);
    n.nameOffset = nameOffset;
    n.nameLength = nameLength;
    return n;
}

// root/ { dir/ { file } }
BuiltIndex sample() {
    BuiltIndex index;
    index.rootPath = "/some/root";
    index.strings = "dirfile";
    index.refreshedAt = 42;
    index.nodes = {node(kNoNode, 3, ItemType::Folder, 0, 0), node(0, 3, ItemType::Folder, 0, 3),
                   node(1, 3, ItemType::File, 3, 4)};
    return index;
}

}  // namespace

TEST(IndexFormat, SavesAndLoadsWhatItWrote) {
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/x.index";
    ASSERT_TRUE(sample().save(file));
    const auto loaded = StoredIndex::load(file, "/some/root");
    ASSERT_TRUE(loaded);
    const IndexView& view = loaded->view();
    EXPECT_EQ(view.count(), 3u);
    EXPECT_EQ(view.refreshedAt(), 42);
    std::string path;
    view.appendPath(2, &path);
    EXPECT_EQ(path, "/some/root/dir/file");
    EXPECT_EQ(view.childNamed(1, "file"), 2u);
    EXPECT_EQ(view.childNamed(0, "file"), kNoNode);
    // An index of another folder that happens to share the file is not this folder's.
    EXPECT_FALSE(StoredIndex::load(file, "/some/other"));
}

// Records with a sound checksum but a shape a depth-first walk never writes would send a
// reader outside the file or round in circles; they are refused.
TEST(IndexFormat, RefusesRecordsThatDoNotNest) {
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/x.index";
    const std::vector<std::function<void(BuiltIndex&)>> damage = {
        [](BuiltIndex& i) { i.nodes[2].parent = 2; },
        [](BuiltIndex& i) { i.nodes[2].parent = 0; },
        [](BuiltIndex& i) { i.nodes[1].end = 1; },
        [](BuiltIndex& i) { i.nodes[1].end = 4; },
        [](BuiltIndex& i) { i.nodes[0].end = 2; },
        [](BuiltIndex& i) { i.nodes[0].parent = 0; },
        [](BuiltIndex& i) { i.nodes[2].type = 9; },
        [](BuiltIndex& i) { i.nodes[2].nameOffset = 5; },
        [](BuiltIndex& i) { i.nodes[2].extraOffset = 0xFFFFFFF0u, i.nodes[2].extraLength = 32; },
        [](BuiltIndex& i) { i.nodes[1].type = uint8_t(ItemType::File); },
        [](BuiltIndex& i) { i.nodes.clear(); },
    };
    for (size_t k = 0; k < damage.size(); ++k) {
        BuiltIndex index = sample();
        damage[k](index);
        ASSERT_TRUE(index.save(file));
        EXPECT_FALSE(StoredIndex::load(file, "/some/root")) << "damage " << k;
    }
}
