#include <iostream>

#include "Commands.h"

int main(int argc, char** argv) {
  try {
    return quillfen::cli::Run(argc, argv, std::cout, std::cerr);
  } catch (const std::exception& e) {
    std::cerr << "quillfen: " << e.what() << "\n";
    return quillfen::cli::kFailed;
  }
}
