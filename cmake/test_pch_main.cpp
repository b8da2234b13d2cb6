// The program that owns the test programs' precompiled header; it tests nothing.
int main() {
  return 0;
}
