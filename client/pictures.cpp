#include "pictures.h"

#include "program_folder.h"

#include <span>
#include <utility>

namespace client {

std::vector<std::string> picture_folders() {
    std::vector<std::string> folders{"../thirdparty/"};
    const std::string own = platform::program_folder();
    if (!own.empty()) {
        folders.push_back(own + "/../thirdparty/");
        folders.push_back(own + "/" INSTALLED_PICTURES "/");
        folders.push_back(own + "/thirdparty/");
    }
    return folders;
}

std::string load_pictures(Pictures& into) {
    const std::pair<IMAGE*, const char*> files[] = {
        {&into.win_1, "1.png"},          {&into.win_2, "2.png"},          {&into.paper, "b.png"},
        {&into.square, "gz.png"},        {&into.river, "hj.png"},         {&into.scissors, "jd.png"},
        {&into.rock, "st.png"},          {&into.hidden, "wh.png"},        {&into.lobby, "jz.png"},
        {&into.exit, "exit.png"},        {&into.turn_1, "w1.png"},        {&into.turn_2, "w2.png"},
        {&into.own_1, "y1.png"},         {&into.own_2, "y2.png"},         {&into.selected, "xz.png"},
        {&into.from_step, "from_step.png"}, {&into.to_step, "to_step.png"},
        {&into.from_won, "from_won.png"},   {&into.to_won, "to_won.png"},
        {&into.from_lost, "from_lost.png"}, {&into.to_lost, "to_lost.png"},
        {&into.lost_rock, "lost_st.png"},   {&into.lost_scissors, "lost_jd.png"},
        {&into.lost_paper, "lost_b.png"},
    };
    // The folder that opens the first picture holds them all.
    for (const std::string& folder : picture_folders()) {
        if (load_image(files[0].first, (folder + files[0].second).c_str()) == LOAD_CANNOT_OPEN) continue;
        for (const auto& [picture, name] : std::span(files).subspan(1)) load_image(picture, (folder + name).c_str());
        return folder;
    }
    return "";
}

}  // namespace client
