#include <iostream>

int main() {
  std::cout << "ovalon-cli\n";
  return 0;
}
