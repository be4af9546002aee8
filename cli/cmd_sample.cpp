// The bundled sample tree: a small mail archive as users keep one, made by our own .msg
// writer so the project ships no binary files. The same command always writes the same bytes.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "cli/argument_paths.hpp"
#include "cli/commands.hpp"
#include "cli/console_output.hpp"
#include "fs/text.hpp"
#include "msg/message.hpp"
#include "msg/message_builder.hpp"
#include "msg/msg_error.hpp"
#include "msg/msg_writer.hpp"

namespace ferrowick::cli {
namespace {

namespace stdfs = std::filesystem;
using msg::FileTimeFromUtc;
using msg::Message;
using msg::MessageBuilder;

std::u16string U(const char* utf8) { return FromUtf8(utf8); }

struct Person {
    const char* name;
    const char* address;
};
constexpr Person kAnn{"Ann Archer", "ann.archer@example.com"};
constexpr Person kBob{"Bob Baker", "bob.baker@example.org"};
constexpr Person kCleo{"Cleo Carter", "cleo@example.net"};
constexpr Person kDan{"Dan Drake", "dan.drake@example.com"};
constexpr Person kEva{"Éva Kovács", "eva.kovacs@example.hu"};
constexpr Person kYuki{"山田 由紀", "yuki.yamada@example.jp"};

struct Sample {
    const char* folder;  // relative to Mail, "" for Mail itself
    const char* file;
    Message message;
};

MessageBuilder Note(const char* subject, Person from, Person to, int day, int hour) {
    MessageBuilder b;
    b.Subject(U(subject))
        .Sender(U(from.name), U(from.address))
        .To(U(to.name), U(to.address))
        .Dates(FileTimeFromUtc(2014, 1 + day / 28, 1 + day % 28, hour, 15, 0),
               FileTimeFromUtc(2014, 1 + day / 28, 1 + day % 28, hour, 16, 30));
    return b;
}

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<std::uint8_t> SmallPng() {
    // A 1x1 white PNG.
    static const std::uint8_t png[] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D,
                                       0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01,
                                       0x08, 0x02, 0x00, 0x00, 0x00, 0x90, 0x77, 0x53, 0xDE, 0x00, 0x00, 0x00,
                                       0x0C, 0x49, 0x44, 0x41, 0x54, 0x08, 0xD7, 0x63, 0xF8, 0xFF, 0xFF, 0x3F,
                                       0x00, 0x05, 0xFE, 0x02, 0xFE, 0xDC, 0xCC, 0x59, 0xE7, 0x00, 0x00, 0x00,
                                       0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
    return {std::begin(png), std::end(png)};
}

std::vector<Sample> SampleMessages() {
    std::vector<Sample> s;
    s.push_back({"", "Welcome.msg",
                 Note("Welcome to your archive", kAnn, kBob, 0, 8)
                     .Body(U("This folder tree is a sample archive of Outlook messages.\r\n"))
                     .Build()});

    s.push_back({"Inbox", "Lunch on Friday.msg",
                 Note("Lunch on Friday?", kCleo, kAnn, 3, 11)
                     .Body(U("Shall we try the new place on the corner?\r\n"))
                     .Build()});
    s.push_back(
        {"Inbox", "Quarterly figures.msg",
         Note("Quarterly figures", kDan, kAnn, 5, 9)
             .Cc(U(kBob.name), U(kBob.address))
             .Body(U("The figures for the first quarter are attached.\r\n"))
             .Html("<html><body><p>The figures for the <b>first quarter</b> are attached.</p>"
                   "<table border=\"1\"><tr><td>January</td><td>1,204</td></tr>"
                   "<tr><td>February</td><td>1,377</td></tr></table></body></html>")
             .AttachFile(U("figures.csv"), Bytes("month,orders\r\nJanuary,1204\r\nFebruary,1377\r\n"), U("text/csv"))
             .Build()});
    s.push_back({"Inbox", "Grüße aus Budapest.msg",
                 Note("Grüße aus Budapest – Ünnepi üdvözlet", kEva, kAnn, 8, 17)
                     .Body(U("Liebe Ann,\r\nviele Grüße aus Budapest! Árvíztűrő tükörfúrógép.\r\nÉva\r\n"))
                     .Build()});
    s.push_back({"Inbox", "Meeting notes.msg",
                 Note("会議のメモ (meeting notes)", kYuki, kAnn, 10, 7)
                     .Cc(U(kCleo.name), U(kCleo.address))
                     .Bcc(U(kDan.name), U(kDan.address))
                     .Body(U("本日の会議のメモを送ります。\r\nNotes from today's meeting.\r\n"))
                     .Build()});
    s.push_back({"Inbox", "Photo.msg",
                 Note("A photo from the trip", kBob, kAnn, 12, 20)
                     .Body(U("One picture, more to follow.\r\n"))
                     .AttachFile(U("white.png"), SmallPng(), U("image/png"))
                     .Read(false)
                     .Build()});
    s.push_back(
        {"Inbox", "Fwd Contract.msg",
         Note("Fwd: Contract draft", kDan, kAnn, 14, 10)
             .Body(U("Forwarding the message below.\r\n"))
             .AttachMessage(Note("Contract draft", kCleo, kDan, 13, 16)
                                .Body(U("Here is the first draft of the contract.\r\n"))
                                .AttachFile(U("contract.txt"), Bytes("Draft contract, version 1.\r\n"), U("text/plain"))
                                .Build(),
                            U("Contract draft"))
             .Build()});

    s.push_back({"Inbox/Old", "Old newsletter.msg",
                 Note("Newsletter, December 2013", kCleo, kAnn, 0, 6)
                     .Dates(FileTimeFromUtc(2013, 12, 2, 6, 0, 0), FileTimeFromUtc(2013, 12, 2, 6, 1, 0))
                     .Html("<html><body><h1>December news</h1><p>Happy holidays from all of us.</p></body></html>")
                     .Build()});
    s.push_back({"Inbox/Old", "Password reminder.msg",
                 Note("Reminder: change your password", kDan, kAnn, 1, 5)
                     .Body(U("Your password expires in 7 days.\r\n"))
                     .Build()});

    s.push_back({"Sent", "Re Lunch on Friday.msg",
                 Note("RE: Lunch on Friday?", kAnn, kCleo, 3, 12).Body(U("Yes, 12:30 suits me.\r\n")).Build()});
    s.push_back({"Sent", "Figures reviewed.msg",
                 Note("RE: Quarterly figures", kAnn, kDan, 6, 9)
                     .Cc(U(kBob.name), U(kBob.address))
                     .Cc(U(kEva.name), U(kEva.address))
                     .Body(U("Reviewed, two remarks inline.\r\n"))
                     .Build()});

    s.push_back({"Projects/2014", "Kick-off.msg",
                 Note("Project kick-off", kBob, kAnn, 20, 9)
                     .To(U(kCleo.name), U(kCleo.address))
                     .To(U(kDan.name), U(kDan.address))
                     .Body(U("The project starts on Monday. Agenda attached.\r\n"))
                     .AttachFile(U("agenda.txt"), Bytes("1. Goals\r\n2. Plan\r\n3. Roles\r\n"), U("text/plain"))
                     .Named(msg::NamedProperty{mapi::kPsPublicStrings, std::u16string(u"Keywords")},
                            msg::PropertyValue::Multiple(msg::PropertyType::MultipleString,
                                                         std::vector<std::u16string>{u"Project", u"2014"}))
                     .Build()});
    s.push_back({"Projects/2014", "Status week 12.msg",
                 Note("Status, week 12", kCleo, kBob, 30, 16).Body(U("On track. Nothing blocking.\r\n")).Build()});
    s.push_back(
        {"Projects/2014", "Status week 13.msg",
         Note("Status, week 13", kCleo, kBob, 37, 16).Body(U("One task late; recovering next week.\r\n")).Build()});

    s.push_back({"Archive/Calendar", "Team meeting.msg",
                 Note("Team meeting", kAnn, kBob, 40, 8)
                     .MessageClass(U("IPM.Appointment"))
                     .Body(U("Weekly team meeting, room 4.\r\n"))
                     .Build()});
    s.push_back({"Archive/Calendar", "Dentist.msg",
                 Note("Dentist", kAnn, kAnn, 44, 14).MessageClass(U("IPM.Appointment")).Build()});

    s.push_back({"Clients!2015", "Offer.msg",
                 Note("Offer for 2015", kAnn, kEva, 60, 10)
                     .Body(U("Please find our offer for 2015 attached.\r\n"))
                     .AttachFile(U("offer.txt"), Bytes("Offer: 12 months of support.\r\n"), U("text/plain"))
                     .Build()});
    s.push_back({"Clients!2015", "Order confirmed.msg",
                 Note("Order confirmed", kEva, kAnn, 62, 15).Body(U("We accept the offer.\r\n")).Build()});
    s.push_back(
        {"Clients!2015", "Invoice.MSG",
         Note("Invoice 2015-001", kAnn, kEva, 64, 9)
             .Body(U("Invoice attached; the order confirmation is enclosed for reference.\r\n"))
             .AttachMessage(Note("Order confirmed", kEva, kAnn, 62, 15).Body(U("We accept the offer.\r\n")).Build(),
                            U("Order confirmed"))
             .AttachFile(U("invoice.txt"), Bytes("Invoice 2015-001: 1,200.00 EUR\r\n"), U("text/plain"))
             .Build()});
    s.push_back({"Inbox", "Empty subject.msg", Note("", kBob, kAnn, 15, 13).Build()});
    return s;
}

constexpr const char* kEmptyFolder = "Empty folder";
constexpr const char* kNotesFolder = "Projects";

int WriteSample(const std::string& dir) {
    const stdfs::path mail = PathFromUtf8(dir) / "Mail";
    std::error_code error;
    // The tree is written into a folder of its own, so no file of the user's is replaced.
    if (stdfs::exists(stdfs::symlink_status(mail, error))) {
        PrintTo(stderr, "ferrowick sample: %s exists already; nothing written. Choose another DIR.\n",
                Utf8Of(mail).c_str());
        return kExitUsage;
    }
    try {
        std::vector<Sample> samples = SampleMessages();
        stdfs::create_directories(PathFromUtf8(dir));
        if (!stdfs::create_directory(mail)) throw std::runtime_error(Utf8Of(mail) + " appeared while writing");
        for (const Sample& s : samples) {
            const stdfs::path folder = mail / PathFromUtf8(s.folder);
            stdfs::create_directories(folder);
            msg::WriteMessageFile(s.message, folder / PathFromUtf8(s.file));
        }
        stdfs::create_directories(mail / kEmptyFolder);
        std::ofstream notes(mail / kNotesFolder / "notes.txt", std::ios::binary | std::ios::trunc);
        notes << "Not a message: the converter lists this file but does not import it.\n";
        notes.close();
        if (!notes) throw std::runtime_error("cannot write notes.txt");
        PrintTo(stdout, "Wrote %zu messages and 1 other file under %s\n", samples.size(), Utf8Of(mail).c_str());
        return kExitOk;
    } catch (const std::exception& e) {
        PrintTo(stderr, "ferrowick sample: %s\n", e.what());
        return kExitSomeFailed;
    }
}

}  // namespace

void AddSampleCommand(CLI::App& app, CommandAction& action) {
    auto dir = std::make_shared<std::string>();
    CLI::App* sub = app.add_subcommand("sample", "write the bundled sample tree of .msg files");
    sub->description("write the bundled sample tree of .msg files under DIR/Mail");
    sub->footer(
        "DIR/Mail must not exist yet: nothing is ever overwritten.\n"
        "Exit status: 0 written, 1 a file could not be written, 2 usage error or DIR/Mail exists.");
    sub->add_option("DIR", *dir, "the folder to write Mail into (made when missing)")->required();
    sub->callback([dir, &action] { action = [dir] { return WriteSample(*dir); }; });
}

}  // namespace ferrowick::cli
