#include "tool_fixture.h"

#include <QProcess>
#include <cstdio>
#include <cstdlib>

#include "table_tool/tool.h"

namespace veltrop::testing {

namespace {

// Collects what a command writes to one of its streams.
class Capture {
public:
    Capture() : stream_(open_memstream(&bytes_, &size_)) {}
    ~Capture() {
        if (stream_) {
            std::fclose(stream_);
        }
        std::free(bytes_);
    }
    std::FILE* stream() const { return stream_; }
    std::string text() {
        std::fclose(stream_);
        stream_ = nullptr;
        return std::string(bytes_, size_);
    }

private:
    char* bytes_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* stream_;
};

}  // namespace

ToolRun ToolFixture::run(const QStringList& arguments, const engine::SessionOptions& options) {
    Capture out;
    Capture err;
    const int status = table_tool::runTool(arguments, out.stream(), err.stream(), options);
    return {status, out.text(), err.text()};
}

void ToolFixture::createTable(const std::string& fileName, const std::vector<ToolRecord>& records) {
    ASSERT_EQ(run({"create", QString::fromStdString(fileName)}).status, 0);
    engine::Session session;
    auto table = session.openTable(fileName, engine::OpenMode::ReadWrite);
    table->begin();
    for (const ToolRecord& record : records) {
        table->insert(record);
    }
    table->commit();
}

std::vector<ToolRecord> ToolFixture::records(const std::string& fileName,
                                             const std::vector<std::string>& passwords) {
    engine::Session session;
    for (const auto& password : passwords) {
        session.addPassword(password);
    }
    auto table = session.openTable(fileName, engine::OpenMode::ReadOnly);
    std::vector<ToolRecord> all;
    for (const auto& row : table->readFrom(0, 1 << 30)) {
        all.push_back(row.values);
    }
    return all;
}

ToolRun runProgram(const QStringList& arguments, const std::string& input,
                   const QStringList& environment) {
    QProcess program;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const QString& variable : environment) {
        variables.insert(variable.section('=', 0, 0), variable.section('=', 1));
    }
    program.setProcessEnvironment(variables);
    program.start(VELTROP_TABLE_TOOL, arguments);
    program.write(input.data(), static_cast<qint64>(input.size()));
    program.closeWriteChannel();
    program.waitForFinished(120000);
    return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
            program.readAllStandardOutput().toStdString(),
            program.readAllStandardError().toStdString()};
}

}  // namespace veltrop::testing
