#pragma once
// Making <app folder>/com<n> lead to a serial adapter, as the user would with
// "ln -sfn", but refusing to destroy anything that is not such a link.

#include <string>

namespace korvane {

struct PortLinkResult {
    enum class Outcome {
        Linked,         // com<n> now leads to the target (made new or replaced)
        FileInTheWay,   // a regular file (or other non-link) has that name
        FolderInTheWay, // a folder has that name
        Failed,         // the system refused (folder not writable ...)
    };
    Outcome outcome = Outcome::Failed;
    std::string linkPath;   // <appFolder>/com<n>
    std::string systemText; // for Failed: the system's words
};

// Points <appFolder>/com<portNumber> at target.  An existing link is replaced
// atomically: the new link is made under a temporary name in the same folder
// and renamed over the old, so a program opening com<n> meanwhile finds the
// old link or the new one, never none.  The target need not exist now (an
// unplugged adapter).  A regular file or folder of that name is left alone.
PortLinkResult linkPort(const std::string& appFolder, int portNumber, const std::string& target);

// What the setup dialog tells the user when linkPort did not link; empty for
// Linked.
std::string portLinkFailedMessage(const PortLinkResult& result);

} // namespace korvane
