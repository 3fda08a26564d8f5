// The program's entry: starts KIV.ERP.
#include <cstdio>

int main() {
  std::fputs("KIV.ERP: the user interface is not built yet.\n", stderr);
  return 1;
}
