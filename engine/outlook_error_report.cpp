#include <string>

#include "engine/help_site.hpp"
#include "engine/migration_call.hpp"

namespace ferrowick {

// The five fixed lines name the usual causes on an Outlook installation; the sixth
// carries the store's own description, the only clue when no Outlook is involved.
void MigrationCall::OutlookErrorReport(const std::u16string& description) {
    MessageBoxRequest box;
    box.title = u"Outlook Error";
    box.icon = MessageIcon::Information;
    box.buttons = MessageButtons::Ok;
    box.text = std::u16string(u"Outlook Session Creation Error !\r\n") +
               u"Check if Outlook is installed and configured.\r\n" +
               u"If Outlook 2013/2010 (64 Bit) is installed, then please try to re-install it as "
               u"Outlook 2013/2010 (32 Bit).\r\n" +
               u"Here are steps to downgrade Outlook 2013/2010 to 32 Bit from 64 Bit Edition.\r\n" + kHelpSite +
               u"/help/downgrade-office-2010-to-32-bit.pdf\r\n" + description;
    seams_.prompts.ShowMessage(box);
}

}  // namespace ferrowick
