// The shader half of desktop_gl_bridge.cpp: wraps the current WebGL 2
// context's shaderSource, compileShader and linkProgram.
mergeInto(LibraryManager.library, {
  installShaderBridge: function() {
    const gl = GLctx;
    const shaderSource = gl.shaderSource.bind(gl);
    const compileShader = gl.compileShader.bind(gl);
    const linkProgram = gl.linkProgram.bind(gl);
    // pattern, replacement, declaration, stage
    const renames = [
        [/\bgl_Vertex\b/g, "engine_Vertex", "in vec4 engine_Vertex;", gl.VERTEX_SHADER],
        [/\bgl_Normal\b/g, "engine_Normal", "in vec3 engine_Normal;", gl.VERTEX_SHADER],
        [/\bgl_MultiTexCoord0\b/g, "engine_MultiTexCoord0", "in vec4 engine_MultiTexCoord0;", gl.VERTEX_SHADER],
        [/\bgl_FragColor\b/g, "engine_FragColor", "out vec4 engine_FragColor;", gl.FRAGMENT_SHADER],
    ];
    gl.shaderSource = function(shader, source) {
        const type = gl.getShaderParameter(shader, gl.SHADER_TYPE);
        let text = source.replace(/^#version 130[^\n]*\n/m, "");
        const declarations = [];
        for (let i = 0; i < renames.length; ++i) {
            const rename = renames[i];
            if (rename[3] != type || text.search(rename[0]) < 0) continue;
            text = text.replace(rename[0], rename[1]);
            declarations.push(rename[2]);
        }
        const preamble = ["#version 300 es", "precision highp float;", "precision highp int;"];
        shaderSource(shader, preamble.concat(declarations).join("\n") + "\n" + text);
    };
    gl.compileShader = function(shader) {
        compileShader(shader);
        if (!gl.getShaderParameter(shader, gl.COMPILE_STATUS))
            console.error("shader compile failed: " + gl.getShaderInfoLog(shader));
    };
    gl.linkProgram = function(program) {
        gl.bindAttribLocation(program, 0, "engine_Vertex");
        gl.bindAttribLocation(program, 1, "engine_Normal");
        gl.bindAttribLocation(program, 2, "engine_MultiTexCoord0");
        linkProgram(program);
        if (!gl.getProgramParameter(program, gl.LINK_STATUS))
            console.error("program link failed: " + gl.getProgramInfoLog(program));
    };
  },
});
