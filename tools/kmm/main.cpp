// kmm: try the KModuleMeasure library from the command line. The sub-commands and the demo
// sections live in their own files and register themselves here.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <vector>

#include "KModuleMeasureStatus.h"
#include "tool.h"

namespace kmm::tool {
namespace {

std::vector<CommandSetup>& commands() {
    static std::vector<CommandSetup> list;
    return list;
}
std::vector<DemoSection>& demoSections() {
    static std::vector<DemoSection> list;
    return list;
}

void setupDemo(CLI::App& app) {
    auto* cmd = app.add_subcommand(
        "demo", "Run every family of exports on synthetic thermal scenes and on the real frames "
                "of examples/frames, and write a gallery of PNG files and a text summary");
    static std::string outDir = "demo-out";
    cmd->add_option("-o,--out", outDir, "output folder")->capture_default_str();
    cmd->callback([] {
        std::filesystem::create_directories(outDir);
        const auto summaryPath = std::filesystem::path(outDir) / "summary.txt";
        std::ofstream file(summaryPath);
        if (!file) throw ToolError("cannot write " + summaryPath.string());
        auto sections = demoSections();
        std::stable_sort(sections.begin(), sections.end(),
                         [](const DemoSection& a, const DemoSection& b) { return a.order < b.order; });
        for (const DemoSection& section : sections) {
            std::ostringstream text;
            DemoContext ctx{outDir, text};
            section.run(ctx);
            const std::string heading = std::string("== ") + section.title + " ==\n";
            std::cout << heading << text.str() << '\n';
            file << heading << text.str() << '\n';
        }
        std::cout << "Pictures and summary.txt are in " << std::filesystem::absolute(outDir).string()
                  << "\n";
    });
}

}  // namespace

bool registerCommand(CommandSetup setup) {
    commands().push_back(setup);
    return true;
}

bool registerDemoSection(DemoSection section) {
    demoSections().push_back(section);
    return true;
}

}  // namespace kmm::tool

int main(int argc, char** argv) {
    using namespace kmm::tool;
    CLI::App app{"kmm: try the KModuleMeasure thermal-camera library on synthetic scenes and on "
                 "your own raw frames, temperature matrices and calibration data"};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("kmm, KModuleMeasure ") + kmm_version());
    setupDemo(app);
    for (CommandSetup setup : commands()) setup(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "kmm: " << e.what() << " (see kmm --help)\n";
        return 2;
    } catch (const ToolError& e) {
        std::cerr << "kmm: " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "kmm: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
