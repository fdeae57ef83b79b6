// A program file for the version tests; it does nothing.
int main() {
    return 0;
}
