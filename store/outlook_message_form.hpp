#pragma once
// A message's properties in the form Outlook's own import stores them: the subject with its
// prefix marker, the body preview, and none of the values Outlook recomputes when it opens
// a message.
#include <string>

#include "pst/ltp/property_context.hpp"

namespace ferrowick {

// The subject as Outlook stores it: U+0001, then a character whose value is the prefix's
// length plus one, then prefix and normalized subject ("\x01\x05Re: Lunch", "\x01\x01Lunch").
std::u16string MarkedSubject(const std::u16string& prefix, const std::u16string& normalized);

// The prefix a subject begins with by MAPI's rule: one to three letters, a colon and a space.
std::u16string ComputedSubjectPrefix(const std::u16string& subject);

// The first characters of a plain-text body, as the preview Outlook keeps with a message.
std::u16string BodyPreview(const std::u16string& body);

// Reshapes a message's properties (top-level or attached) as described above. A plain-text
// body held as a stream (`streamed`) gives its preview from its first characters.
void ShapeMessageProperties(pst::PropertyBag& message, const pst::StreamedValues& streamed = {});

// Drops from an attachment what Outlook recomputes.
void ShapeAttachmentProperties(pst::PropertyBag& attachment);

}  // namespace ferrowick
