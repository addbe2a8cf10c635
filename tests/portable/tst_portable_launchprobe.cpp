// Stands in for the game when its start is tested: writes "<argument count> <arguments>", a line break and
// its working directory to started.txt in that directory, complete or not at all.

#include <filesystem>
#include <fstream>

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    const fs::path Here = fs::current_path();
    {
        std::ofstream Out(Here / "started.part", std::ios::binary);
        Out << argc - 1;
        for (int I = 1; I < argc; ++I)
            Out << ' ' << argv[I];
        Out << '\n' << Here.string();
    }
    fs::rename(Here / "started.part", Here / "started.txt");
    return 0;
}
