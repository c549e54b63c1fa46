// The least a shadow-mapped frame can cost on this machine and driver: a full-screen window at the
// desktop's size (4x multisampled), a depth-only shadow pass from the sun into a 4096 x 4096 map,
// and one lit main pass that samples that map once per fragment, over a ground plane and a grid
// of boxes. frame.sh divides the play frame's time by this one's, taken in the same run.
// Standalone on purpose (GLFW and GLEW only, none of the game's floors), so the game's changes
// never move the yardstick.
//
// Usage (on a display of the size to measure, e.g. under tests/support/with_xvfb.sh):
//   baseline-renderer [FRAMES] [BOXES]          (50 frames, 400 boxes)
// Environment: SM shadow map size (4096), SAMPLES multisampling (4).
// Prints "baseline WxH: X ms/frame (N frames, T triangles, shadow S, samples M), CPU C ms/frame",
// X the median of the frames, each waited for (glFinish after the swap), and C the processor time
// of all the process's threads (the rasterizer's too) per frame after the first: on a busy machine
// it moves far less than the wall clock, so frame.sh also compares by it.
#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ProcessCpu.h"

namespace {

using Mat = std::array<float, 16>;  // column-major, as GL takes it

Mat Mul(const Mat& a, const Mat& b) {
    Mat r{};
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k) r[c * 4 + row] += a[k * 4 + row] * b[c * 4 + k];
    return r;
}

struct V3 {
    float x, y, z;
};
V3 Sub(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Norm(V3 a) {
    const float l = std::sqrt(Dot(a, a));
    return {a.x / l, a.y / l, a.z / l};
}

Mat LookAt(V3 eye, V3 at) {
    const V3 f = Norm(Sub(at, eye));
    const V3 s = Norm(Cross(f, {0, 1, 0}));
    const V3 u = Cross(s, f);
    return {s.x, u.x, -f.x, 0, s.y, u.y, -f.y, 0, s.z, u.z, -f.z, 0, -Dot(s, eye), -Dot(u, eye), Dot(f, eye), 1};
}

Mat Perspective(float fovY, float aspect, float n, float f) {
    const float t = 1.0f / std::tan(fovY / 2);
    return {t / aspect, 0, 0, 0, 0, t, 0, 0, 0, 0, (f + n) / (n - f), -1, 0, 0, 2 * f * n / (n - f), 0};
}

Mat Ortho(float halfX, float halfY, float n, float f) {
    return {1 / halfX, 0, 0, 0, 0, 1 / halfY, 0, 0, 0, 0, -2 / (f - n), 0, 0, 0, -(f + n) / (f - n), 1};
}

// Position, normal, colour.
struct Vertex {
    float p[3], n[3], c[3];
};

void AddQuad(std::vector<Vertex>& v, V3 o, V3 a, V3 b, V3 color) {
    const V3 n = Norm(Cross(a, b));
    const V3 corners[4] = {o, {o.x + a.x, o.y + a.y, o.z + a.z},
                           {o.x + a.x + b.x, o.y + a.y + b.y, o.z + a.z + b.z}, {o.x + b.x, o.y + b.y, o.z + b.z}};
    for (int i : {0, 1, 2, 0, 2, 3})
        v.push_back({{corners[i].x, corners[i].y, corners[i].z}, {n.x, n.y, n.z}, {color.x, color.y, color.z}});
}

void AddBox(std::vector<Vertex>& v, V3 lo, V3 size, V3 color) {
    const V3 x{size.x, 0, 0}, y{0, size.y, 0}, z{0, 0, size.z};
    const V3 hi{lo.x + size.x, lo.y + size.y, lo.z + size.z};
    AddQuad(v, lo, y, x, color);                         // back (-z)
    AddQuad(v, {lo.x, lo.y, hi.z}, x, y, color);         // front (+z)
    AddQuad(v, lo, z, y, color);                         // left (-x)
    AddQuad(v, {hi.x, lo.y, lo.z}, y, z, color);         // right (+x)
    AddQuad(v, lo, x, z, color);                         // bottom
    AddQuad(v, {lo.x, hi.y, lo.z}, z, x, color);         // top
}

GLuint Compile(const char* vs, const char* fs) {
    const GLuint program = glCreateProgram();
    for (auto [type, src] : {std::pair{GL_VERTEX_SHADER, vs}, std::pair{GL_FRAGMENT_SHADER, fs}}) {
        const GLuint s = glCreateShader(static_cast<GLenum>(type));
        glShaderSource(s, 1, &src, nullptr);
        glCompileShader(s);
        GLint ok = 0;
        glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
        if (!ok) {
            char log[1024];
            glGetShaderInfoLog(s, sizeof log, nullptr, log);
            std::fprintf(stderr, "baseline: shader: %s\n", log);
            std::exit(1);
        }
        glAttachShader(program, s);
    }
    glLinkProgram(program);
    return program;
}

const char* kDepthVs = R"(#version 330 core
layout(location = 0) in vec3 position;
uniform mat4 lightViewProj;
void main() { gl_Position = lightViewProj * vec4(position, 1.0); })";
const char* kDepthFs = R"(#version 330 core
void main() {})";

const char* kLitVs = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec3 color;
uniform mat4 viewProj;
uniform mat4 lightViewProj;
out vec3 vNormal;
out vec3 vColor;
out vec4 vLight;
void main() {
    vNormal = normal;
    vColor = color;
    vLight = lightViewProj * vec4(position, 1.0);
    gl_Position = viewProj * vec4(position, 1.0);
})";
const char* kLitFs = R"(#version 330 core
in vec3 vNormal;
in vec3 vColor;
in vec4 vLight;
uniform sampler2DShadow shadowMap;
uniform vec3 toSun;
out vec4 fragColor;
void main() {
    vec3 l = vLight.xyz / vLight.w * 0.5 + 0.5;
    float lit = texture(shadowMap, vec3(l.xy, l.z - 0.002));
    float diffuse = max(dot(normalize(vNormal), toSun), 0.0) * lit;
    fragColor = vec4(vColor * (0.25 + 0.75 * diffuse), 1.0);
})";

int EnvInt(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value ? std::max(0, std::atoi(value)) : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const int boxes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 400;
    const int shadowSize = std::max(1, EnvInt("SM", 4096));
    const int samples = EnvInt("SAMPLES", 4);

    if (!glfwInit()) {
        std::fprintf(stderr, "baseline: no display\n");
        return 1;
    }
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = glfwGetVideoMode(monitor);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_SAMPLES, samples);
    GLFWwindow* window = glfwCreateWindow(mode->width, mode->height, "baseline", monitor, nullptr);
    if (!window) {
        std::fprintf(stderr, "baseline: no window\n");
        return 1;
    }
    glfwMakeContextCurrent(window);
    glfwSwapInterval(0);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        std::fprintf(stderr, "baseline: GLEW failed\n");
        return 1;
    }
    int width = 0, height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    GLint gotSamples = 0;
    glGetIntegerv(GL_SAMPLES, &gotSamples);

    // A square grid of boxes two units apart, varied in height so they shadow each other and the
    // ground, on a plane a little larger than the grid.
    constexpr float kTallest = 2.1f;
    std::vector<Vertex> vertices;
    const int side = static_cast<int>(std::ceil(std::sqrt(static_cast<float>(boxes))));
    const float half = static_cast<float>(side) + 2;
    AddQuad(vertices, {-half, 0, -half}, {0, 0, 2 * half}, {2 * half, 0, 0}, {0.45f, 0.55f, 0.35f});
    for (int i = 0; i < boxes; ++i) {
        const int gx = i % side, gz = i / side;
        const float h = kTallest - static_cast<float>((gx * 7 + gz * 13) % 5) * 0.4f;
        AddBox(vertices, {static_cast<float>(2 * gx - side) + 0.5f, 0, static_cast<float>(2 * gz - side) + 0.5f},
               {1, h, 1}, {0.7f, 0.5f + 0.04f * static_cast<float>(gx % 5), 0.4f});
    }
    const GLsizei vertexCount = static_cast<GLsizei>(vertices.size());

    GLuint vao = 0, vbo = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(1, &vbo);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)), vertices.data(),
                 GL_STATIC_DRAW);
    for (GLuint a = 0; a < 3; ++a) {
        glEnableVertexAttribArray(a);
        glVertexAttribPointer(a, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                              reinterpret_cast<const void*>(static_cast<size_t>(a) * 3 * sizeof(float)));
    }

    GLuint shadowMap = 0, shadowTarget = 0;
    glGenTextures(1, &shadowMap);
    glBindTexture(GL_TEXTURE_2D, shadowMap);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, shadowSize, shadowSize, 0, GL_DEPTH_COMPONENT, GL_FLOAT,
                 nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
    glGenFramebuffers(1, &shadowTarget);
    glBindFramebuffer(GL_FRAMEBUFFER, shadowTarget);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, shadowMap, 0);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::fprintf(stderr, "baseline: shadow target incomplete\n");
        return 1;
    }

    const GLuint depthProgram = Compile(kDepthVs, kDepthFs);
    const GLuint litProgram = Compile(kLitVs, kLitFs);
    // The sun's box fits the scene, as a game fits its shadow map to what it shows, so the ground
    // fills the map; the camera looks over the grid from one corner.
    const V3 toSun = Norm({0.4f, 1.0f, 0.3f});
    const float reach = 3 * half;
    const Mat lightView = LookAt({toSun.x * reach, toSun.y * reach, toSun.z * reach}, {0, 0, 0});
    float halfX = 0, halfY = 0;
    for (const float x : {-half, half})
        for (const float y : {0.0f, kTallest})
            for (const float z : {-half, half}) {
                halfX = std::max(halfX, std::abs(lightView[0] * x + lightView[4] * y + lightView[8] * z));
                halfY = std::max(halfY, std::abs(lightView[1] * x + lightView[5] * y + lightView[9] * z));
            }
    const Mat lightViewProj = Mul(Ortho(halfX, halfY, 0.1f, 2 * reach), lightView);
    const Mat viewProj = Mul(Perspective(1.0f, static_cast<float>(width) / static_cast<float>(height), 0.1f, 4 * half),
                             LookAt({half * 0.9f, half * 0.6f, half * 0.9f}, {0, 0, 0}));
    glUseProgram(depthProgram);
    glUniformMatrix4fv(glGetUniformLocation(depthProgram, "lightViewProj"), 1, GL_FALSE, lightViewProj.data());
    glUseProgram(litProgram);
    glUniformMatrix4fv(glGetUniformLocation(litProgram, "lightViewProj"), 1, GL_FALSE, lightViewProj.data());
    glUniformMatrix4fv(glGetUniformLocation(litProgram, "viewProj"), 1, GL_FALSE, viewProj.data());
    glUniform3f(glGetUniformLocation(litProgram, "toSun"), toSun.x, toSun.y, toSun.z);
    glUniform1i(glGetUniformLocation(litProgram, "shadowMap"), 0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);

    std::vector<double> times;
    double cpuStart = 0.0;
    for (int frame = 0; frame < frames; ++frame) {
        if (frame == 1) cpuStart = ProcessCpuMs();
        const auto start = std::chrono::steady_clock::now();
        glBindFramebuffer(GL_FRAMEBUFFER, shadowTarget);
        glViewport(0, 0, shadowSize, shadowSize);
        glClear(GL_DEPTH_BUFFER_BIT);
        glUseProgram(depthProgram);
        glBindTexture(GL_TEXTURE_2D, 0);
        glDrawArrays(GL_TRIANGLES, 0, vertexCount);

        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, width, height);
        glClearColor(0.55f, 0.7f, 0.9f, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glUseProgram(litProgram);
        glBindTexture(GL_TEXTURE_2D, shadowMap);
        glDrawArrays(GL_TRIANGLES, 0, vertexCount);

        glfwSwapBuffers(window);
        glFinish();
        glfwPollEvents();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    const double cpuPerFrame = frames > 1 ? (ProcessCpuMs() - cpuStart) / (frames - 1) : 0.0;
    std::sort(times.begin(), times.end());
    std::printf("baseline %dx%d: %.1f ms/frame (%d frames, %d triangles, shadow %d, samples %d), CPU %.1f ms/frame\n",
                width, height, times[times.size() / 2], frames, vertexCount / 3, shadowSize, gotSamples, cpuPerFrame);
    glfwTerminate();
    return 0;
}
