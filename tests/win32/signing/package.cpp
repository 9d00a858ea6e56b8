// A stand-in for a downloaded package: the signature tests sign copies of it.
int main() { return 0; }
