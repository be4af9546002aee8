// The compound-file writer, checked by our reader and by third-party readers as black boxes.
#include <gtest/gtest.h>

#include <cstdlib>

#include "msg/cfb/cfb_error.hpp"
#include "msg/cfb/compound_file.hpp"
#include "msg/cfb/entry_name.hpp"
#include "msg/cfb/writer.hpp"
#include "support/msg_fixtures.hpp"
#include "support/run_command.hpp"

namespace ferrowick::msg::cfb {
namespace {

using testing::OlefileAvailable;
using testing::RunPython;
using testing::ScratchDir;

std::vector<std::uint8_t> Pattern(std::size_t size, unsigned seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>((i * 131 + seed * 17) >> 3);
    return bytes;
}

std::vector<std::uint8_t> ReadStream(const CompoundFile& file, DirectoryEntryId storage, std::u16string_view name) {
    const auto id = file.Find(storage, name);
    if (!id) throw CfbError(msg::ErrorKind::InvalidArgument, "missing stream");
    return file.OpenStream(*id).ReadAll();
}

// Checks every storage's tree: in order, no red node with a red child, equal black height.
int CheckTree(const CompoundFile& file, DirectoryEntryId node, bool parentRed) {
    if (node.IsNone()) return 1;
    const DirectoryEntry& e = file.Entry(node);
    const bool red = e.color == NodeColor::Red;
    EXPECT_FALSE(red && parentRed) << "red node with a red parent";
    if (!e.left.IsNone()) {
        EXPECT_LT(CompareEntryNames(file.Entry(e.left).name, e.name), 0);
    }
    if (!e.right.IsNone()) {
        EXPECT_GT(CompareEntryNames(file.Entry(e.right).name, e.name), 0);
    }
    const int left = CheckTree(file, e.left, red);
    const int right = CheckTree(file, e.right, red);
    EXPECT_EQ(left, right) << "unequal black heights";
    return left + (red ? 0 : 1);
}

TEST(CfbWriter, StreamsOfEverySizeReadBackThroughTreeLookups) {
    CompoundFileWriter w;
    const std::vector<std::size_t> sizes{0, 1, 63, 64, 65, 4095, 4096, 4097, 70000};
    const auto storage = w.AddStorage(CompoundFileWriter::kRoot, u"Inner");
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        w.AddStream(CompoundFileWriter::kRoot, u"s" + std::u16string(i + 1, u'x'), Pattern(sizes[i], i));
        w.AddStream(storage, u"inner" + std::u16string(1, static_cast<char16_t>(u'A' + i)), Pattern(sizes[i], i + 50));
    }
    const CompoundFile file = CompoundFile::FromBytes(w.Finish());
    for (std::size_t i = 0; i < sizes.size(); ++i)
        EXPECT_EQ(ReadStream(file, file.Root(), u"s" + std::u16string(i + 1, u'x')), Pattern(sizes[i], i)) << sizes[i];
    const auto inner = file.Find(file.Root(), u"INNER");  // lookups ignore letter case
    ASSERT_TRUE(inner);
    EXPECT_EQ(file.Children(*inner).size(), sizes.size());
    EXPECT_EQ(ReadStream(file, *inner, u"innerI"), Pattern(70000, 58));
}

TEST(CfbWriter, TreesAreOrderedRedBlackTrees) {
    for (int count : {1, 2, 3, 7, 8, 40, 300}) {
        CompoundFileWriter w;
        for (int i = 0; i < count; ++i) {
            std::u16string name = u"n";
            for (int v = i * 7919 % 1000; v > 0; v /= 3) name.push_back(static_cast<char16_t>(u'a' + v % 3));
            name += u"_" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + std::u16string(i / 26 + 1, u'z');
            w.AddStream(CompoundFileWriter::kRoot, name, {});
        }
        const CompoundFile file = CompoundFile::FromBytes(w.Finish());
        EXPECT_EQ(file.Children(file.Root()).size(), static_cast<std::size_t>(count));
        CheckTree(file, file.Entry(file.Root()).child, false);
        const auto children = file.Children(file.Root());
        for (std::size_t i = 1; i < children.size(); ++i)
            EXPECT_LT(CompareEntryNames(file.Entry(children[i - 1]).name, file.Entry(children[i]).name), 0);
    }
}

TEST(CfbWriter, RefusesNamesTheFormatCannotHold) {
    CompoundFileWriter w;
    w.AddStream(CompoundFileWriter::kRoot, u"abc", {});
    EXPECT_THROW(w.AddStream(CompoundFileWriter::kRoot, u"ABC", {}), CfbError);  // same name by the tree's order
    EXPECT_THROW(w.AddStream(CompoundFileWriter::kRoot, std::u16string(32, u'x'), {}), CfbError);
    EXPECT_THROW(w.AddStream(CompoundFileWriter::kRoot, u"a/b", {}), CfbError);
    EXPECT_THROW(w.AddStream(CompoundFileWriter::kRoot, u"", {}), CfbError);
    EXPECT_THROW(w.AddStorage(1, u"under a stream"), CfbError);
}

TEST(CfbWriter, SiblingNamesAreUpperCasedByTheCaseFoldingsReadBackwards) {
    EXPECT_EQ(UpperCaseForNames(u'ÿ'), u'Ÿ');
    EXPECT_EQ(UpperCaseForNames(u'ｚ'), u'Ｚ');
    EXPECT_EQ(UpperCaseForNames(u'σ'), u'Σ');
    for (char16_t alone : {u'ς', u'ſ', u'µ', u'ı'}) EXPECT_EQ(UpperCaseForNames(alone), alone) << int(alone);

    CompoundFileWriter w;
    w.AddStream(CompoundFileWriter::kRoot, u"xς", {});
    w.AddStream(CompoundFileWriter::kRoot, u"xΣ", {});  // final sigma is not capital sigma here
    w.AddStream(CompoundFileWriter::kRoot, u"ｚ", {});
    EXPECT_THROW(w.AddStream(CompoundFileWriter::kRoot, u"Ｚ", {}), CfbError);
    const CompoundFile file = CompoundFile::FromBytes(w.Finish());
    EXPECT_EQ(file.Children(file.Root()).size(), 3u);
    CheckTree(file, file.Entry(file.Root()).child, false);
}

#ifndef _WIN32  // Debian's Python readers: the Linux tree runs this
TEST(CfbWriter, LargeFileNeedsDifatSectorsAndStillReads) {
    // More than 109 FAT sectors (each maps 64 KiB) pushes FAT locations into DIFAT sectors.
    CompoundFileWriter w;
    const auto big = Pattern(9 * 1024 * 1024, 3);
    w.AddStream(CompoundFileWriter::kRoot, u"big", big);
    w.AddStream(CompoundFileWriter::kRoot, u"small", Pattern(10, 4));
    std::vector<std::uint8_t> bytes = w.Finish();
    const CompoundFile file = CompoundFile::FromBytes(bytes);
    EXPECT_GT(file.Header().difatSectorCount, 0u);
    EXPECT_GT(file.Header().fatSectorCount, 109u);
    EXPECT_EQ(ReadStream(file, file.Root(), u"big"), big);
    EXPECT_EQ(ReadStream(file, file.Root(), u"small"), Pattern(10, 4));

    ASSERT_TRUE(OlefileAvailable()) << "python3-olefile is missing (scripts/install-deps.sh installs it)";
    ScratchDir dir("cfb");
    testing::WriteBytes(dir / "big.cfb", bytes);
    const auto run = RunPython(
        "import olefile,sys\n"
        "o=olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)\n"
        "d=o.openstream('big').read()\n"
        "print(len(d), sum(d) % 65521, len(o.openstream('small').read()))\n",
        {(dir / "big.cfb").string()});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    unsigned long sum = 0;
    for (std::uint8_t b : big) sum += b;
    EXPECT_EQ(run.output, std::to_string(big.size()) + " " + std::to_string(sum % 65521) + " 10\n");
}
#endif

#ifndef _WIN32  // Debian's Python readers: the Linux tree runs this
TEST(CfbWriter, ThirdPartyReadersAgreeOnTreeAndContents) {
    ASSERT_TRUE(OlefileAvailable()) << "python3-olefile is missing (scripts/install-deps.sh installs it)";
    ScratchDir dir("cfb");
    CompoundFileWriter w;
    const auto a = w.AddStorage(CompoundFileWriter::kRoot, u"Alpha");
    const auto b = w.AddStorage(a, u"Beta");
    w.AddStream(b, u"deep", Pattern(5000, 1));
    w.AddStream(a, u"mid", Pattern(100, 2));
    w.AddStream(CompoundFileWriter::kRoot, u"top", Pattern(64, 3));
    for (int i = 0; i < 20; ++i) w.AddStream(a, u"many" + std::u16string(i + 1, u'q'), Pattern(i * 10, 9));
    w.WriteTo(dir / "tree.cfb");

    const auto run = RunPython(
        "import olefile,sys\n"
        "o=olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)\n"
        "for e in sorted(o.listdir(streams=True, storages=True)):\n"
        "  p='/'.join(e)\n"
        "  print(p, o.get_size(p) if o.get_type(p)==olefile.STGTY_STREAM else 'dir')\n"
        "print(sum(o.openstream('Alpha/Beta/deep').read()))\n",
        {(dir / "tree.cfb").string()});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Alpha/Beta/deep 5000\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Alpha/mid 100\n"), std::string::npos);
    EXPECT_NE(run.output.find("Alpha/manyqqqqqqqqqqqqqqqqqqqq 190\n"), std::string::npos);
    EXPECT_NE(run.output.find("top 64\n"), std::string::npos);
    unsigned long sum = 0;
    for (std::uint8_t x : Pattern(5000, 1)) sum += x;
    EXPECT_NE(run.output.find("\n" + std::to_string(sum) + "\n"), std::string::npos);

    if (testing::Installed("olecfinfo")) {
        const auto info = testing::RunCommand("olecfinfo '" + (dir / "tree.cfb").string() + "' 2>&1");
        EXPECT_EQ(info.exitCode, 0) << info.output;
        EXPECT_NE(info.output.find("deep (5000 bytes)"), std::string::npos) << info.output;
    }
}
#endif

}  // namespace
}  // namespace ferrowick::msg::cfb
