#include "bench/PhotoFolder.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/JpegWriter.h"
#include "tests/support/TestPictures.h"

namespace {

uint64_t Mix(uint64_t value)
{
    value += 0x9E3779B97F4A7C15u;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9u;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBu;
    return value ^ (value >> 31);
}

// Random values on a grid of `cell`-pixel squares, interpolated between the
// grid points: blotches of about that size, from -amplitude to amplitude.
class Texture {
public:
    Texture(int width, int height, int cell, int amplitude, uint64_t seed)
        : cell_(cell), amplitude_(amplitude), columns_(width / cell + 2), row_(static_cast<size_t>(columns_))
    {
        points_.resize(static_cast<size_t>(columns_) * static_cast<size_t>(height / cell + 2));
        for (size_t i = 0; i < points_.size(); ++i)
            points_[i] = static_cast<int>(Mix(seed + i) & 255) - 128;
    }

    // Interpolates between the grid rows around `y`; At then reads along it.
    void SetRow(int y)
    {
        int grid = y / cell_;
        int below = y % cell_;
        const int* upper = &points_[static_cast<size_t>(grid * columns_)];
        const int* lower = upper + columns_;
        for (int i = 0; i < columns_; ++i)
            row_[static_cast<size_t>(i)] = upper[i] * (cell_ - below) + lower[i] * below;
    }

    int At(int x) const
    {
        int grid = x / cell_;
        int right = x % cell_;
        int value = row_[static_cast<size_t>(grid)] * (cell_ - right) + row_[static_cast<size_t>(grid) + 1] * right;
        return value * amplitude_ / (128 * cell_ * cell_);
    }

private:
    int cell_;
    int amplitude_;
    int columns_;
    std::vector<int> points_;
    std::vector<int> row_;
};

uint8_t Clamp(int value)
{
    return static_cast<uint8_t>(std::clamp(value, 0, 255));
}

std::string DataFolder()
{
    return LUMO_BENCH_DATA;
}

std::string PhotoName(int index)
{
    char name[32];
    std::snprintf(name, sizeof name, "photo-%05d.jpg", index);
    return name;
}

std::filesystem::path FolderOf(int count, int width, int height)
{
    return std::filesystem::path(DataFolder()) /
           ("photos-" + std::to_string(count) + "-" + std::to_string(width) + "x" + std::to_string(height));
}

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

std::vector<uint8_t> PhotoSamples(int width, int height, uint32_t seed)
{
    Texture coarse(width, height, 24, 24, uint64_t {seed} << 40);
    Texture fine(width, height, 5, 36, (uint64_t {seed} << 40) + (uint64_t {1} << 32));
    uint64_t noise = Mix(seed);
    std::vector<uint8_t> samples(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    uint8_t* sample = samples.data();
    for (int y = 0; y < height; ++y) {
        coarse.SetRow(y);
        fine.SetRow(y);
        for (int x = 0; x < width; ++x) {
            uint32_t scene = ScenePixel(x, y, width, height);
            int texture = coarse.At(x) + fine.At(x);
            noise ^= noise << 13;
            noise ^= noise >> 7;
            noise ^= noise << 17;
            // Each channel's noise: the sum of two uniform values, from -11 to 11.
            for (int channel = 0; channel < 3; ++channel) {
                int shift = 8 * channel;
                int grain = static_cast<int>((noise >> shift) & 15) + static_cast<int>((noise >> (shift + 4)) & 15) - 15;
                int value = static_cast<int>((scene >> (16 - shift)) & 0xFF) + texture + grain * 3 / 4;
                *sample++ = Clamp(value);
            }
        }
    }
    return samples;
}

std::vector<uint8_t> PhotoJpeg(int width, int height, uint32_t seed)
{
    JpegImage image;
    image.width = width;
    image.height = height;
    image.samples = PhotoSamples(width, height, seed);
    image.quality = 90;
    return WriteJpeg(image);
}

std::string PhotoFolder(int count, int width, int height)
{
    std::filesystem::path folder = FolderOf(count, width, height);
    std::filesystem::path complete = folder.string() + ".complete";
    if (std::filesystem::exists(complete))
        return folder.string();
    std::filesystem::create_directories(folder);
    std::atomic<int> next {0};
    auto write = [&] {
        for (int i = next++; i < count; i = next++)
            WriteFile(folder / PhotoName(i), PhotoJpeg(width, height, static_cast<uint32_t>(i)));
    };
    std::vector<std::thread> writers;
    for (unsigned i = 0; i < std::max(1u, std::thread::hardware_concurrency()); ++i)
        writers.emplace_back(write);
    for (std::thread& writer : writers)
        writer.join();
    WriteFile(complete, {});
    return folder.string();
}

std::vector<std::string> PhotoPaths(int count, int width, int height)
{
    std::filesystem::path folder = PhotoFolder(count, width, height);
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i)
        paths.push_back((folder / PhotoName(i)).string());
    return paths;
}
