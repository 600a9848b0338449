#pragma once

#include <opencv2/core/mat.hpp>

#include <string>
#include <vector>

// Checks on what a recording run leaves behind.

// File names in the recordings index (video.db), oldest first; empty when the
// database cannot be read.
std::vector<std::string> IndexRows(const std::string& dbPath);

// Pixels of the red time label in its strip at the bottom left of a 320x240
// frame. minRed/maxOther allow for colours softened by compression.
int RedLabelPixels(const cv::Mat& bgr, int minRed = 180, int maxOther = 90);
