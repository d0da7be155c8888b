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

HelpLayout::HelpLayout() { label("Positionals", "Arguments"); }

std::string HelpLayout::make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const {
  mode_ = mode;
  std::string groups = make_groups(app, mode);
  while (groups.ends_with("\n\n")) groups.pop_back();  // the blank line a hidden last group leaves
  return make_usage(app, name) + "\n" + make_description(app) + make_positionals(app) + groups + "\n" +
         make_footer(app);
}

std::string HelpLayout::make_usage(const CLI::App*, std::string name) const {
  return "Usage: " + name + " [OPTIONS] OUTPUT\n       " + name + " [OPTIONS] --compare FILE\n";
}

std::string HelpLayout::make_group(std::string group, bool isPositional,
                                   std::vector<const CLI::Option*> options) const {
  if (group == "Testing" && mode_ != CLI::AppFormatMode::All) return "";
  return CLI::Formatter::make_group(std::move(group), isPositional, std::move(options));
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
