#include "services/AdminMoveScript.h"

#include "base/PathNames.h"

namespace plenwick {

std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') quoted += "'\\''";
        else quoted += c;
    }
    return quoted + "'";
}

std::string adminMoveScript(const std::vector<AdminMove>& moves, uid_t uid, gid_t gid,
                            const std::string& trashFilesFolder, const AdminMoveTools& tools) {
    std::vector<std::string> lines;
    const std::string files = shellQuote(trashFilesFolder);
    const std::string trash = shellQuote(parentPath(trashFilesFolder));
    // Root must never follow a link planted in place of the Trash.
    std::string allIndices;
    for (std::size_t i = 0; i < moves.size(); ++i) allIndices += " " + std::to_string(i);
    lines.push_back("if [ -L " + trash + " ] || [ -L " + files + " ] || [ ! -d " + files + " ]; then printf 'FAIL:%d\\n'" +
                    allIndices + "; exit 0; fi");
    const std::string owner = std::to_string(uid) + ":" + std::to_string(gid);
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const std::string source = shellQuote(moves[i].source);
        const std::string destination = shellQuote(moves[i].destination);
        if (moves[i].unloadDaemon)
            lines.push_back(shellQuote(tools.launchctl) + " bootout system " + source + " >/dev/null 2>&1");
        // -n -T: never replace what is there, never move into a folder of that name. A move
        // that skipped leaves the source behind and counts as failed. A failed chown does not.
        lines.push_back("if " + shellQuote(tools.mv) + " -n -T -- " + source + " " + destination +
                        " >/dev/null 2>&1 && ! { [ -e " + source + " ] || [ -L " + source + " ]; }; then " +
                        shellQuote(tools.chown) + " -R -h -- " + owner + " " + destination +
                        " >/dev/null 2>&1; else printf 'FAIL:%d\\n' " + std::to_string(i) + "; fi");
    }
    lines.push_back("exit 0");
    std::string script;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) script += '\n';
        script += lines[i];
    }
    return script;
}

std::vector<std::size_t> failedMoveIndices(const std::string& output) {
    std::vector<std::size_t> indices;
    std::size_t pos = 0;
    while (pos < output.size()) {
        auto end = output.find('\n', pos);
        if (end == std::string::npos) end = output.size();
        const std::string_view line(output.data() + pos, end - pos);
        if (line.size() > 5 && line.substr(0, 5) == "FAIL:" &&
            line.find_first_not_of("0123456789", 5) == std::string_view::npos && line.size() - 5 < 19)
            indices.push_back(std::stoull(std::string(line.substr(5))));
        pos = end + 1;
    }
    return indices;
}

} // namespace plenwick
