// The robot's script: plain text, one command per line, words separated by blanks.
// A word in double quotes may hold blanks; inside quotes \" is a quote, \\ a
// backslash, \n a line break and \t a tab. A line whose first word starts with '#'
// is a comment. Portable: no Windows headers here.
#pragma once

#include <string>
#include <vector>

// Splits one line into words. Returns false with a reason for an unterminated quote
// or an unknown escape; an empty or comment line gives no words.
bool SplitScriptLine(const std::string& line, std::vector<std::string>* words, std::string* error);

// The record's way of writing a text: in double quotes, with the escapes above and
// \xHH for any other control byte, so that every record line stays one line.
std::string QuoteForRecord(const std::string& text);

// Checks that the first word is a command the robot knows and that it has a number
// of arguments the command takes, so a misspelt script is refused before anything
// is started.
bool CheckCommandShape(const std::vector<std::string>& words, std::string* error);

// Parses a non-negative or negative decimal integer that fills the whole word.
bool ParseInteger(const std::string& word, long* value);

// One step of a control address: a control id, or a window class.
struct ControlAddressPart {
  bool byId = false;
  long id = 0;            // when byId
  std::string className;  // otherwise
};

// A control address names a control of the current window: a dialog id ("1001"), or
// a path of steps separated by '/', each a decimal id or a window class, every step
// looked for inside the window the step before it found ("SetupWizardPanel/1001":
// control 1001 inside the first window of class SetupWizardPanel). Returns false with
// a reason for an empty word or an empty step.
bool ParseControlAddress(const std::string& word, std::vector<ControlAddressPart>* parts, std::string* error);
