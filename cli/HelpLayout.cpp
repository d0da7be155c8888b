// SPDX-License-Identifier: MIT
#include "cli/HelpLayout.h"

#include <sstream>

std::string Wrapped(const std::string& text, std::size_t width, std::size_t indent) {
  std::istringstream words(text);
  std::string result;
  std::string line;
  std::string word;
  while (words >> word) {
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      result += line + "\n" + std::string(indent, ' ');
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  return result + line;
}

std::string HelpLayout::make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const {
  // Laid out here whole: CLI11's own headings and blank lines change between its versions (2.6
  // writes "OPTIONS:" and blank lines of its own).
  std::string help = make_usage(app, std::move(name)) + "\n" + app->get_description() + "\n";
  const auto section = [&help, this](const std::string& heading, const std::vector<const CLI::Option*>& options) {
    if (options.empty()) return;
    help += "\n" + heading + ":\n";
    for (const CLI::Option* option : options) help += make_option(option, !option->nonpositional());
  };
  section("Arguments", app->get_options([](const CLI::Option* option) { return !option->nonpositional(); }));
  for (const std::string& group : app->get_groups()) {
    // The group "" is CLI11's for hidden options; the testing options show with --help-all only.
    if (group.empty() || (group == "Testing" && mode != CLI::AppFormatMode::All)) continue;
    section(group == "Testing" ? "Testing" : "Options", app->get_options([&group](const CLI::Option* option) {
      return option->get_group() == group && option->nonpositional();
    }));
  }
  return help + "\n" + app->get_footer();
}

std::string HelpLayout::make_usage(const CLI::App*, std::string name) const {
  return "Usage: " + name + " [OPTIONS] OUTPUT\n       " + name + " [OPTIONS] --compare FILE\n";
}

std::string HelpLayout::make_option(const CLI::Option* option, bool isPositional) const {
  std::string name;
  if (isPositional) {
    name = option->get_name();
  } else {
    for (const std::string& shortName : option->get_snames()) name += "-" + shortName + ", ";
    for (const std::string& longName : option->get_lnames()) name += "--" + longName + ", ";
    name.resize(name.size() - 2);
    if (option->get_type_size() != 0) {
      // The value's name as the option was given it ("N"), or as its check names it ("PORT").
      std::string value = option->get_type_name();
      value = value.substr(0, value.find(' '));
      if (value.rfind("TEXT:", 0) == 0) value.erase(0, 5);
      value = value.substr(0, value.find(':'));
      if (!value.empty()) name += " " + value;  // a flag has none: no space left at the line's end
    }
  }
  name = "  " + name;
  const std::string description = Wrapped(option->get_description(), Width - NameColumn, NameColumn);
  if (name.size() + 1 >= NameColumn) return name + "\n" + std::string(NameColumn, ' ') + description + "\n";
  return name + std::string(NameColumn - name.size(), ' ') + description + "\n";
}
