#pragma once

#include <optional>
#include <string>

// What lumo prints for --help or --version, when an argument asks for either;
// the program then prints it and ends before it makes any window.
std::optional<std::string> InformationAsked(int argc, char** argv);

// Whether a command-line argument names pictures to add rather than a
// collection to open: a folder, or a file whose name and first bytes the
// picture library recognises. A file with the extension .kir is always a
// collection.
bool NamesPictures(const std::string& path);
