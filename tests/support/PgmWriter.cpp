#include "tests/support/PgmWriter.h"

#include "tests/support/ByteWriter.h"

std::string PgmHeader(bool binary, int width, int height, uint32_t maxval)
{
    std::string header = binary ? "P5\n" : "P2\n";
    header.append(std::to_string(width)).append(" ").append(std::to_string(height)).append("\n");
    return header.append(std::to_string(maxval)).append("\n");
}

std::vector<uint8_t> PgmSamples(const std::vector<std::vector<uint32_t>>& rows, uint32_t maxval, bool binary)
{
    ByteWriter out;
    for (const auto& row : rows) {
        for (size_t x = 0; x < row.size(); ++x) {
            if (!binary)
                out.Text(x == 0 ? "" : " ").Text(std::to_string(row[x]));
            else if (maxval > 255)
                out.U16BE(row[x]);
            else
                out.U8(row[x]);
        }
        if (!binary)
            out.Text("\n");
    }
    return out.Take();
}

std::vector<uint8_t> WritePgm(const std::vector<std::vector<uint32_t>>& rows, uint32_t maxval, bool binary)
{
    int width = rows.empty() ? 0 : static_cast<int>(rows[0].size());
    ByteWriter file;
    file.Text(PgmHeader(binary, width, static_cast<int>(rows.size()), maxval)).Bytes(PgmSamples(rows, maxval, binary));
    return file.Take();
}
