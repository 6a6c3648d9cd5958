#include "QVideoShowWidget.h"

#include "LogCategories.h"

#include <QEvent>
#include <QMetaType>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <algorithm>
#include <cstring>
#include <vector>

GLuint buildShader(const char* source, GLenum type);
GLuint buildProgram(GLuint* vertexShader, GLuint* fragmentShader);

namespace {

// More frames than this waiting for the GUI thread are dropped at the
// hand-over instead of copied.
constexpr int kMaxInFlight = 6;

const char* const kVertexShader = "attribute vec4 vPosition;\n"
                                  "attribute vec2 a_texCoord;\n"
                                  "varying vec2 tc;\n"
                                  "void main()\n"
                                  "{\n"
                                  "    gl_Position = vPosition;\n"
                                  "    tc = a_texCoord;\n"
                                  "}\n";

// Limited-range BT.601.
const char* const kFragmentShader = "uniform sampler2D SamplerY;\n"
                                    "uniform sampler2D SamplerU;\n"
                                    "uniform sampler2D SamplerV;\n"
                                    "varying vec2 tc;\n"
                                    "void main()\n"
                                    "{\n"
                                    "    float y = texture2D(SamplerY, tc).r - 0.0625;\n"
                                    "    float u = texture2D(SamplerU, tc).r - 0.5;\n"
                                    "    float v = texture2D(SamplerV, tc).r - 0.5;\n"
                                    "    gl_FragColor = vec4(1.164 * y + 1.596 * v,\n"
                                    "                        1.164 * y - 0.392 * u - 0.813 * v,\n"
                                    "                        1.164 * y + 2.017 * u,\n"
                                    "                        1.0);\n"
                                    "}\n";

int textureSize(int n)
{
    int p = powceil(n);
    return p < 128 ? 128 : p;
}

// The info log of a failed compile or link goes to the debug output only.
void logFailure(QOpenGLFunctions* f, GLuint object, void (QOpenGLFunctions::*getiv)(GLuint, GLenum, GLint*),
                void (QOpenGLFunctions::*getLog)(GLuint, GLsizei, GLsizei*, char*), const char* step)
{
    GLint length = 0;
    (f->*getiv)(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0)
        return;
    QByteArray log(length, '\0');
    (f->*getLog)(object, length, nullptr, log.data());
    qCDebug(lcPlayer) << step << "failed:" << log;
}

uchar* copyPlane(const uchar* src, size_t bytes)
{
    auto* copy = new uchar[bytes];
    std::memcpy(copy, src, bytes);
    return copy;
}

} // namespace

int powceil(int n)
{
    int p = 1;
    while (p < n)
        p <<= 1;
    return p;
}

GLuint buildShader(const char* source, GLenum type)
{
    QOpenGLFunctions* f = QOpenGLContext::currentContext()->functions();
    GLuint shader = f->glCreateShader(type);
    if (!shader)
        return 0;
    f->glShaderSource(shader, 1, &source, nullptr);
    f->glCompileShader(shader);
    GLint ok = GL_FALSE;
    f->glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE)
        return shader;
    logFailure(f, shader, &QOpenGLFunctions::glGetShaderiv, &QOpenGLFunctions::glGetShaderInfoLog, "compile");
    f->glDeleteShader(shader);
    return 0;
}

GLuint buildProgram(GLuint* vertexShader, GLuint* fragmentShader)
{
    QOpenGLFunctions* f = QOpenGLContext::currentContext()->functions();
    GLuint vs = buildShader(kVertexShader, GL_VERTEX_SHADER);
    if (!vs)
        return 0;
    GLuint fs = buildShader(kFragmentShader, GL_FRAGMENT_SHADER);
    if (!fs) {
        f->glDeleteShader(vs);
        return 0;
    }
    GLuint program = f->glCreateProgram();
    if (!program) {
        f->glDeleteShader(vs);
        f->glDeleteShader(fs);
        return 0;
    }
    f->glAttachShader(program, vs);
    f->glAttachShader(program, fs);
    f->glBindAttribLocation(program, 0, "vPosition");
    f->glBindAttribLocation(program, 1, "a_texCoord");
    f->glLinkProgram(program);
    GLint ok = GL_FALSE;
    f->glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        logFailure(f, program, &QOpenGLFunctions::glGetProgramiv, &QOpenGLFunctions::glGetProgramInfoLog,
                   "link");
        f->glDeleteProgram(program);
        f->glDeleteShader(vs);
        f->glDeleteShader(fs);
        return 0;
    }
    if (vertexShader)
        *vertexShader = vs;
    if (fragmentShader)
        *fragmentShader = fs;
    return program;
}

QVideoShowWidget::QVideoShowWidget(QWidget* parent)
    : QOpenGLWidget(parent)
{
    // Frames posted from the engine's thread carry raw pointers.
    qRegisterMetaType<unsigned char*>("unsigned char*");
    qRegisterMetaType<unsigned char*>("uchar*");
    setMouseTracking(true);
    connect(this, &QVideoShowWidget::updateImage, this, &QVideoShowWidget::OnUpdateImage);
    connect(this, &QVideoShowWidget::updateYUVImage, this, &QVideoShowWidget::OnUpdateYUVImage);
}

QVideoShowWidget::~QVideoShowWidget()
{
    if (m_glReady && context()) {
        makeCurrent();
        if (m_program)
            glDeleteProgram(m_program);
        if (m_vertexShader)
            glDeleteShader(m_vertexShader);
        if (m_fragmentShader)
            glDeleteShader(m_fragmentShader);
        doneCurrent();
    }
}

void QVideoShowWidget::initDatas()
{
    m_texPacked = m_texY = m_texU = m_texV = 0;
    m_program = m_vertexShader = m_fragmentShader = 0;
    m_frameWidth = m_frameHeight = 0;
    m_texWidth = m_texHeight = 0;
    m_s = m_t = 1.0f;
}

bool QVideoShowWidget::event(QEvent* e)
{
    const bool handled = QOpenGLWidget::event(e);
    if (e->type() == QEvent::Show || e->type() == QEvent::Hide)
        m_shown.store(isVisible(), std::memory_order_relaxed);
    return handled;
}

void QVideoShowWidget::showImage(uchar* data, uint width, uint height, uint stride)
{
    m_framesHanded.fetch_add(1);
    uchar* copy = nullptr;
    if (data) {
        if (m_inFlight.load() >= kMaxInFlight)
            return;
        copy = copyPlane(data, size_t(height) * stride);
    }
    m_inFlight.fetch_add(1);
    emit updateImage(copy, width, height, stride);
}

void QVideoShowWidget::showYUVImage(uchar** planes, uint width, uint height, uint* strides)
{
    m_framesHanded.fetch_add(1);
    if (!planes || !strides || !planes[0] || !planes[1] || !planes[2])
        return;
    if (m_inFlight.load() >= kMaxInFlight)
        return;
    const size_t chromaRows = (size_t(height) + 1) / 2;
    uchar* y = copyPlane(planes[0], size_t(height) * strides[0]);
    uchar* u = copyPlane(planes[1], chromaRows * strides[1]);
    uchar* v = copyPlane(planes[2], chromaRows * strides[2]);
    m_inFlight.fetch_add(1);
    emit updateYUVImage(y, u, v, width, height, strides[0], strides[1], strides[2]);
}

void QVideoShowWidget::initializeGL()
{
    initializeOpenGLFunctions();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    m_glReady = true;
}

void QVideoShowWidget::resizeGL(int w, int h) { glViewport(0, 0, w, h); }

bool QVideoShowWidget::beginUpload()
{
    if (!m_glReady || !context())
        return false;
    makeCurrent();
    // Rows of any byte length: the default alignment of 4 would make GL read
    // past the end of a copy whose stride is not a multiple of 4.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    return true;
}

void QVideoShowWidget::allocTexture(GLuint tex, int w, int h, GLenum internalFormat, GLenum format)
{
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // The picture's first row and column are not blended with the
    // texture's far edge, as the default wrap would.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(internalFormat), w, h, 0, format, GL_UNSIGNED_BYTE, nullptr);
}

void QVideoShowWidget::uploadPlane(GLuint tex, const uchar* data, int stride, int w, int h, int pixelBytes,
                                   GLenum format, int texW, int texH)
{
    // never past a row, whatever width a frame claims
    w = std::min(w, stride / pixelBytes);
    if (w <= 0 || h <= 0)
        return;
    glBindTexture(GL_TEXTURE_2D, tex);
    // Only the picture's own pixels: a row's padding is left out.
    glPixelStorei(GL_UNPACK_ROW_LENGTH, stride / pixelBytes);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, format, GL_UNSIGNED_BYTE, data);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    // The quad's edges sample halfway between the last pixel and the texel
    // beyond it; that texel repeats the last pixel, or a picture a few
    // pixels across shows a stripe of whatever the texture held there.
    if (h < texH)
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, h, w, 1, format, GL_UNSIGNED_BYTE,
                        data + ptrdiff_t(h - 1) * stride);
    if (w < texW) {
        const int rows = h < texH ? h + 1 : h;
        std::vector<uchar> column(size_t(rows) * size_t(pixelBytes));
        for (int y = 0; y < rows; ++y)
            std::memcpy(column.data() + ptrdiff_t(y) * pixelBytes,
                        data + ptrdiff_t(std::min(y, h - 1)) * stride + ptrdiff_t(w - 1) * pixelBytes,
                        size_t(pixelBytes));
        glTexSubImage2D(GL_TEXTURE_2D, 0, w, 0, 1, rows, format, GL_UNSIGNED_BYTE, column.data());
    }
}

void QVideoShowWidget::OnUpdateImage(unsigned char* data, uint width, uint height, uint stride)
{
    m_inFlight.fetch_sub(1);
    if (!data) {
        m_frameWidth = m_frameHeight = 0;
        m_texWidth = m_texHeight = 0;
        update();
        return;
    }
    if (!beginUpload()) {
        delete[] data;
        return;
    }
    if (!m_texPacked) {
        glEnable(GL_TEXTURE_2D);
        glGenTextures(1, &m_texPacked);
    }
    if (width != m_frameWidth || height != m_frameHeight || uint(m_texWidth) * 4 < stride) {
        m_texWidth = textureSize(int(stride / 4));
        m_texHeight = textureSize(int(height));
        m_frameWidth = width;
        m_frameHeight = height;
        m_s = float(width) / float(m_texWidth);
        m_t = float(height) / float(m_texHeight);
        allocTexture(m_texPacked, m_texWidth, m_texHeight, GL_RGBA, GL_BGRA);
    }
    uploadPlane(m_texPacked, data, int(stride), int(width), int(height), 4, GL_BGRA, m_texWidth, m_texHeight);
    delete[] data;
    if (m_frameUndrawn)
        qCDebug(lcPlayer) << "frame replaced before it was drawn";
    ++m_framesUploaded;
    m_frameUndrawn = true;
    update();
}

void QVideoShowWidget::OnUpdateYUVImage(unsigned char* imageDataY, unsigned char* imageDataU,
                                        unsigned char* imageDataV, uint width, uint height, uint strideY,
                                        uint strideU, uint strideV)
{
    m_inFlight.fetch_sub(1);
    auto freeAll = [&] {
        delete[] imageDataY;
        delete[] imageDataU;
        delete[] imageDataV;
    };
    if (!imageDataY || !imageDataU || !imageDataV || !beginUpload()) {
        freeAll();
        return;
    }
    if (!m_program) {
        glEnable(GL_TEXTURE_2D);
        m_program = buildProgram(&m_vertexShader, &m_fragmentShader);
        if (!m_program) {
            // Tried again with the next frame. The frame size stays unrecorded
            // so that the build that succeeds allocates its textures.
            freeAll();
            return;
        }
        glUseProgram(m_program);
        GLuint tex[3];
        glGenTextures(3, tex);
        m_texY = tex[0];
        m_texU = tex[1];
        m_texV = tex[2];
        m_texWidth = m_texHeight = 0;
        m_frameWidth = m_frameHeight = 0;
    }
    const uint half = uint(m_texWidth) / 2;
    if (width != m_frameWidth || height != m_frameHeight || strideY > uint(m_texWidth) || strideU > half
        || strideV > half) {
        m_texWidth = textureSize(int(qMax(strideY, 2 * qMax(strideU, strideV))));
        m_texHeight = textureSize(int(height));
        m_frameWidth = width;
        m_frameHeight = height;
        m_s = float(width) / float(m_texWidth);
        m_t = float(height) / float(m_texHeight);
        allocTexture(m_texY, m_texWidth, m_texHeight, GL_LUMINANCE, GL_LUMINANCE);
        allocTexture(m_texU, m_texWidth / 2, m_texHeight / 2, GL_LUMINANCE, GL_LUMINANCE);
        allocTexture(m_texV, m_texWidth / 2, m_texHeight / 2, GL_LUMINANCE, GL_LUMINANCE);
    }
    // An odd width or height has a last, half-covered colour sample.
    const int chromaW = int(width + 1) / 2, chromaH = int(height + 1) / 2;
    uploadPlane(m_texY, imageDataY, int(strideY), int(width), int(height), 1, GL_LUMINANCE, m_texWidth,
                m_texHeight);
    uploadPlane(m_texU, imageDataU, int(strideU), chromaW, chromaH, 1, GL_LUMINANCE, m_texWidth / 2,
                m_texHeight / 2);
    uploadPlane(m_texV, imageDataV, int(strideV), chromaW, chromaH, 1, GL_LUMINANCE, m_texWidth / 2,
                m_texHeight / 2);
    freeAll();
    ++m_framesUploaded;
    m_frameUndrawn = true;
    update();
}

void QVideoShowWidget::paintGL()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (m_frameWidth == 0 || m_frameHeight == 0) {
        glFlush();
        return;
    }
    if (m_texPacked) {
        glUseProgram(0);
        glActiveTexture(GL_TEXTURE0);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, m_texPacked);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 0.0f);
        glVertex3f(-1.0f, 1.0f, 1.0f);
        glTexCoord2f(0.0f, m_t);
        glVertex3f(-1.0f, -1.0f, 1.0f);
        glTexCoord2f(m_s, m_t);
        glVertex3f(1.0f, -1.0f, 1.0f);
        glTexCoord2f(m_s, 0.0f);
        glVertex3f(1.0f, 1.0f, 1.0f);
        glEnd();
    } else if (m_program) {
        static const GLfloat vertices[] = {-1.0f, -1.0f, 1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f};
        const GLfloat texCoords[] = {0.0f, m_t, m_s, m_t, 0.0f, 0.0f, m_s, 0.0f};
        glUseProgram(m_program);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, vertices);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 0, texCoords);
        glEnableVertexAttribArray(1);
        const GLuint textures[3] = {m_texY, m_texU, m_texV};
        const char* const samplers[3] = {"SamplerY", "SamplerU", "SamplerV"};
        for (int i = 0; i < 3; ++i) {
            glActiveTexture(GLenum(GL_TEXTURE0 + i));
            glBindTexture(GL_TEXTURE_2D, textures[i]);
            glUniform1i(glGetUniformLocation(m_program, samplers[i]), i);
        }
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glDisableVertexAttribArray(0);
        glDisableVertexAttribArray(1);
        glActiveTexture(GL_TEXTURE0);
        glUseProgram(0);
    }
    if (m_frameUndrawn) {
        ++m_framesDrawn;
        m_frameUndrawn = false;
    }
    glFlush();
}
