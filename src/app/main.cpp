// The player's entry point; the application shell grows behind it.
int main() { return 0; }
