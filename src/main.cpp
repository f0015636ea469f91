#include <cstdio>

int main() {
  std::fputs("quorvelan: the user interface is not built yet\n", stderr);
  return 1;
}
