// Placeholder until the bank generator lands: writes an empty bank.
#include <cstdio>
int main(int argc, char** argv) {
    if (argc < 3) return 2;
    FILE* f = std::fopen(argv[2], "wb");
    return f && std::fclose(f) == 0 ? 0 : 1;
}
