// A .msg file whose body or attachment cannot be read is not converted, and says which part
// is missing; a property that writers are known to leave without its stream still imports.
// The damaged files are copies of a sound one, rewritten by our compound-file writer without
// one stream or storage.
#include <gtest/gtest.h>

#include <string>

#include "fs/text.hpp"
#include "msg/cfb/compound_file.hpp"
#include "msg/cfb/writer.hpp"
#include "seams/store_service.hpp"
#include "store/msg_import.hpp"
#include "support/msg_fixtures.hpp"

namespace ferrowick {
namespace {

namespace fsys = std::filesystem;
using msg::cfb::CompoundFile;
using msg::cfb::CompoundFileWriter;
using msg::cfb::DirectoryEntryId;

// Copies `from` into `into`, leaving out the entry at `drop` ("storage/name", names as written).
// Whether it was there to leave out.
bool CopyWithout(const CompoundFile& file, DirectoryEntryId from, CompoundFileWriter& to,
                 CompoundFileWriter::NodeId into, const std::u16string& prefix, const std::u16string& drop) {
    bool dropped = false;
    for (DirectoryEntryId id : file.Children(from)) {
        const auto& entry = file.Entry(id);
        const std::u16string path = prefix + entry.name;
        if (path == drop) {
            dropped = true;
            continue;
        }
        if (entry.IsStorage())
            dropped |= CopyWithout(file, id, to, to.AddStorage(into, entry.name), path + u"/", drop);
        else
            to.AddStream(into, entry.name, file.OpenStream(id).ReadAll());
    }
    return dropped;
}

class DamagedContent : public ::testing::Test {
protected:
    DamagedContent() { sound_ = testing::WriteMsgFile(dir_.Path(), "sound.msg", testing::RichMessage(u"Rich")); }

    // The sound file without one entry; fails the test unless there was such an entry.
    fsys::path Without(const std::u16string& drop, bool mustExist = true) {
        const CompoundFile file = CompoundFile::Open(sound_);
        CompoundFileWriter copy;
        EXPECT_EQ(CopyWithout(file, file.Root(), copy, CompoundFileWriter::kRoot, u"", drop), mustExist)
            << ToUtf8(drop);
        const fsys::path path = dir_ / ("damaged-" + std::to_string(++count_) + ".msg");
        copy.WriteTo(path);
        return path;
    }

    // The failure's description, or "imported" when the file went through.
    std::string ImportOutcome(const fsys::path& path) {
        pst::NameToIdMap names;
        try {
            const std::u16string where = FromPath(path);
            const pst::MessageContent content = ImportReadMessage(where, ReadMsgFile(where), names);
            return "imported";
        } catch (const StoreFailure& failure) {
            return ToUtf8(failure.Description());
        }
    }

    testing::ScratchDir dir_{"damaged"};
    fsys::path sound_;
    int count_ = 0;
};

TEST_F(DamagedContent, AMissingBodyOrAttachmentMakesTheFileNotConvertedWithTheReason) {
    ASSERT_EQ(ImportOutcome(Without(u"no such entry", false)), "imported");  // the copy itself is sound

    const struct {
        std::u16string drop;
        std::string reason;
    } cases[] = {
        {u"__substg1.0_1000001F", "message body (property 0x1000001F) is missing"},
        {u"__substg1.0_10130102", "message body (property 0x10130102) is missing"},
        {u"__attach_version1.0_#00000000/__substg1.0_37010102",
         "attachment's content (property 0x37010102) is missing"},
        {u"__attach_version1.0_#00000000/__properties_version1.0",
         "an attachment cannot be read: its property stream is not in the file"},
        {u"__attach_version1.0_#00000001/__substg1.0_3701000D", "an attached message is missing"},
    };
    for (const auto& c : cases) {
        const fsys::path damaged = Without(c.drop);
        const std::string outcome = ImportOutcome(damaged);
        EXPECT_NE(outcome.find(c.reason), std::string::npos) << ToUtf8(c.drop) << ": " << outcome;
        EXPECT_NE(outcome.find(damaged.filename().string()), std::string::npos) << outcome;  // names the file
    }
}

TEST_F(DamagedContent, OtherPropertiesWithoutTheirStreamStillImport) {
    // Real writers list some properties whose streams they leave out (an address, a
    // conversation index); refusing those files would lose good mail.
    EXPECT_EQ(ImportOutcome(Without(u"__substg1.0_0C1F001F")), "imported");
}

}  // namespace
}  // namespace ferrowick
