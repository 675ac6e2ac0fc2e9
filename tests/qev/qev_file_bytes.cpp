#include "qev_file_bytes.h"

#include <gtest/gtest.h>

#include "test_files.h"

QevFileBytes& QevFileBytes::Vertex(std::array<int32_t, 4> bones, std::array<float, 4> weights) {
    F32(0).F32(0).F32(0).I32(0).I32(0);
    for (int32_t bone : bones) I32(bone);
    for (float weight : weights) F32(weight);
    return *this;
}

QevFileBytes& QevFileBytes::Triangle(uint16_t a, uint16_t b, uint16_t c) {
    for (uint16_t index : {a, b, c}) {
        U16(index);
        for (int n = 0; n < 5; ++n) F32(0);
    }
    return *this;
}

QevFileBytes& QevFileBytes::Name(const std::string& bytes) {
    return U8(static_cast<uint8_t>(bytes.size())).Raw(bytes);
}

QevFileBytes& QevFileBytes::Bone(const std::string& name) {
    Name(name);
    for (int n = 0; n < 6; ++n) F32(0);
    return *this;
}

testsupport::Bytes WholeFixtureFile() {
    QevFileBytes file;
    file.I32(4).I32(1).I32(1).Vertex({0, 0, 0, 0}, {1, 0, 0, 0});
    file.I32(1).Triangle(0, 0, 0).I32(1).I32(1).Triangle(0, 0, 0).Name("body");
    file.I32(1).Bone("root");
    EXPECT_EQ(file.size(), 246u);
    return file.bytes();
}

QevRun RunQev(const std::vector<std::string>& args, const std::vector<testsupport::Bytes>& files) {
    testsupport::ScratchFolder folder;
    QevRun run;
    for (size_t n = 0; n < files.size(); ++n) {
        run.paths.push_back(folder.File("file" + std::to_string(n) + ".qev"));
        EXPECT_TRUE(testsupport::WriteFile(run.paths.back(), files[n]));
    }
    std::vector<std::string> resolved;
    for (const std::string& arg : args)
        resolved.push_back(arg.size() > 1 && arg[0] == '@' ? run.paths[std::stoul(arg.substr(1))] : arg);
    static_cast<testsupport::ProgramRun&>(run) = testsupport::RunBuiltProgram("qev", resolved);
    return run;
}
