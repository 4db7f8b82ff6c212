#include <cstdio>
int main() { std::puts("varlume-run"); return 0; }
