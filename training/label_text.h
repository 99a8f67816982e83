#pragma once
// Labels as the training sees them: system-code-page (GB18030) bytes that
// must decode, since the box file carries them as UTF-8. A label that does not
// decode (a sample file saved in another encoding, say) would reach the tools
// as U+FFFD, and every such label as the same character.
#include <string>
#include <string_view>

// True when every byte of `label` belongs to a character of the system code
// page, so it reaches the box file unchanged.
bool LabelDecodes(std::string_view label);

// `label` for the job log (system code page): its characters as they are, each
// byte that belongs to none as \xNN, so the user can find the sample.
std::string ShownLabel(std::string_view label);
