// The stand-in setup program that the unpacker's tests carry as a resource:
// it only ends, with a code the test recognises.
int main() { return 7; }
