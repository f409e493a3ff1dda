// The kmm tool's plumbing: self-registering sub-commands and demo sections, and the one
// error type that ends a command with a one-line message.
#pragma once

#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <string>

namespace CLI {
class App;
}

namespace kmm::tool {

// Thrown by a command for bad arguments or unreadable files; main prints "kmm: <what>".
struct ToolError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Adds one sub-command (with its options and callback) to the application.
using CommandSetup = void (*)(CLI::App& app);
bool registerCommand(CommandSetup setup);

// A part of `kmm demo`: writes its pictures into outDir and its lines into summary.
struct DemoContext {
    std::filesystem::path outDir;
    std::ostream& summary;
};
struct DemoSection {
    int order;  // sections run in ascending order
    const char* title;
    void (*run)(DemoContext& ctx);
};
bool registerDemoSection(DemoSection section);

}  // namespace kmm::tool
