#pragma once

#include <QOpenGLFunctions_2_0>
#include <QOpenGLWidget>

#include <atomic>

// The picture inside a video surface. Frames arrive from any thread through
// showImage / showYUVImage, which copy them and post the copies to the GUI
// thread; there they are uploaded into textures that live as long as the
// view and drawn over the whole widget. Packed BGRA frames use one texture;
// planar YUV 4:2:0 frames use three single-channel textures and a shader.
// The fixed-pipeline quad and the GLSL 1.10 shaders need a compatibility
// context.
class QVideoShowWidget : public QOpenGLWidget, protected QOpenGLFunctions_2_0
{
    Q_OBJECT
public:
    explicit QVideoShowWidget(QWidget* parent = nullptr);
    ~QVideoShowWidget() override;

    // Hand-overs, callable from any thread; nothing of the caller's buffers
    // is used after they return.
    void showImage(uchar* data, uint width, uint height, uint stride);
    void showYUVImage(uchar** planes, uint width, uint height, uint* strides);

    // Back to the construction values without deleting GL objects.
    void initDatas();

    // Whether frames should be handed over now; safe to ask from any thread.
    bool acceptsFrames() const { return m_shown.load(std::memory_order_relaxed); }

    int textureWidth() const { return m_texWidth; }
    int textureHeight() const { return m_texHeight; }
    float texS() const { return m_s; }
    float texT() const { return m_t; }
    uint frameWidth() const { return m_frameWidth; }
    bool hasYuvProgram() const { return m_program != 0; }

    // Frames handed over, uploaded, and shown by a repaint at least once.
    int framesHanded() const { return m_framesHanded.load(); }
    int framesUploaded() const { return m_framesUploaded; }
    int framesDrawn() const { return m_framesDrawn; }

signals:
    void updateImage(unsigned char* data, uint width, uint height, uint stride);
    void updateYUVImage(unsigned char* imageDataY, unsigned char* imageDataU, unsigned char* imageDataV,
                        uint width, uint height, uint strideY, uint strideU, uint strideV);

public slots:
    void OnUpdateImage(unsigned char* data, uint width, uint height, uint stride);
    void OnUpdateYUVImage(unsigned char* imageDataY, unsigned char* imageDataU, unsigned char* imageDataV,
                          uint width, uint height, uint strideY, uint strideU, uint strideV);

protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    bool event(QEvent* e) override;

private:
    bool beginUpload();
    void allocTexture(GLuint tex, int w, int h, GLenum internalFormat, GLenum format);
    // A w x h plane of rows `stride` bytes apart into a texW x texH texture,
    // with its last row and column repeated just beyond it.
    void uploadPlane(GLuint tex, const uchar* data, int stride, int w, int h, int pixelBytes, GLenum format,
                     int texW, int texH);

    GLuint m_texPacked = 0;
    GLuint m_texY = 0, m_texU = 0, m_texV = 0;
    GLuint m_program = 0;
    GLuint m_vertexShader = 0, m_fragmentShader = 0;
    uint m_frameWidth = 0, m_frameHeight = 0;
    int m_texWidth = 0, m_texHeight = 0;
    float m_s = 1.0f, m_t = 1.0f;

    bool m_glReady = false;
    std::atomic<bool> m_shown{false};
    // Copies posted but not yet uploaded: a GUI thread that falls behind
    // must not collect an unbounded queue of full-size frames.
    std::atomic<int> m_inFlight{0};
    std::atomic<int> m_framesHanded{0};
    int m_framesUploaded = 0;
    int m_framesDrawn = 0;
    bool m_frameUndrawn = false;
};

// Smallest power of two not below n; 1 for 0.
int powceil(int n);
