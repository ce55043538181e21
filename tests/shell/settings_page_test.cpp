// XScreenSaver's settings page for Orbelune (desktop/orbelune.xml) against the program's own
// command line: every option the page can give is one the program takes, over exactly the
// range the page offers, and each control's default is a value the program accepts.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "shell/command_words.h"
#include "shell/hack_options.h"

namespace {

using Attributes = std::map<std::string, std::string>;

struct Element {
  std::string name;
  Attributes attributes;
};

std::vector<Element> ReadElements(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  const std::string xml = std::regex_replace(text.str(), std::regex("<!--[\\s\\S]*?-->"), "");
  std::vector<Element> elements;
  const std::regex tag("<([A-Za-z_]+)((?:\\s+[-A-Za-z_]+=\"[^\"]*\")*)\\s*/?>");
  const std::regex attribute("([-A-Za-z_]+)=\"([^\"]*)\"");
  for (std::sregex_iterator found(xml.begin(), xml.end(), tag), end; found != end; ++found) {
    Element element{(*found)[1], {}};
    const std::string list = (*found)[2];
    for (std::sregex_iterator pair(list.begin(), list.end(), attribute); pair != end; ++pair) {
      element.attributes[(*pair)[1]] = (*pair)[2];
    }
    elements.push_back(element);
  }
  return elements;
}

// What the settings program starts: the page's fixed switches, then the one being tried.
std::string Problem(const std::string& fixed, const std::string& option) {
  HackCommand command;
  return ReadHackCommand(SplitCommandWords((fixed + " " + option).c_str()), &command);
}

std::string WithValue(const std::string& argument, const std::string& value) {
  std::string filled = argument;
  const size_t percent = filled.find('%');
  if (percent != std::string::npos) filled.replace(percent, 1, value);
  return filled;
}

}  // namespace

TEST(SettingsPageTest, EveryOptionOfThePageIsTakenOverItsWholeRange) {
  const std::vector<Element> elements = ReadElements(ORBELUNE_SETTINGS_PAGE);
  std::string fixed;
  for (const Element& element : elements) {
    if (element.name == "command") fixed += " " + element.attributes.at("arg");
  }
  EXPECT_EQ(fixed, " -root") << "the daemon's switch, given always";

  int tried = 0;
  for (const Element& element : elements) {
    const Attributes& a = element.attributes;
    if (element.name == "number") {
      const std::string& arg = a.at("arg");
      const long low = std::stol(a.at("low"));
      const long high = std::stol(a.at("high"));
      for (const std::string& value : {a.at("low"), a.at("high"), a.at("default")}) {
        EXPECT_EQ(Problem(fixed, WithValue(arg, value)), "") << arg << " with " << value;
      }
      EXPECT_NE(Problem(fixed, WithValue(arg, std::to_string(low - 1))), "") << arg << ": the program takes less";
      EXPECT_NE(Problem(fixed, WithValue(arg, std::to_string(high + 1))), "") << arg << ": the program takes more";
      ++tried;
    } else if (element.name == "option" && a.count("arg-set") != 0) {
      EXPECT_EQ(Problem(fixed, a.at("arg-set")), "") << a.at("arg-set");
      ++tried;
    } else if (element.name == "string") {
      EXPECT_EQ(Problem(fixed, WithValue(a.at("arg"), "#336699")), "") << a.at("arg");
      ++tried;
    } else if (element.name == "file") {
      EXPECT_EQ(Problem(fixed, WithValue(a.at("arg"), "\"/home/someone/My Pictures/a.jpg\"")), "") << a.at("arg");
      ++tried;
    }
  }
  // Six sliders, two directions each way, two colours and the image: every stored setting.
  EXPECT_EQ(tried, 13);
}
