#!/usr/bin/env python3
"""Writes the demo game installation that ships with the project.

The demo lets the program be tried, and the tests run, without the game: a placeholder of the
game's executable, its INI files, its start-logo list, a depth-of-field shader with the bloom
statement, and the per-user options file of the documents folder. Every file is our own; the
values are plausible settings of the kinds the program edits, and differ from the program's
restore defaults in places so that restoring defaults visibly changes something.

Usage: scripts/make-demo.py [--check | --steam-home HOME]
  --check             write nothing; fail when a file in demo/ differs from what this script makes
  --steam-home HOME   lay out HOME as a player's home folder in which Steam runs the demo game
                      under Proton: a Steam library listing it, its app manifest, the game in
                      steamapps/common and the Proton prefix with the per-user options in the
                      prefix's own documents folder
"""

import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DEMO = ROOT / "demo"
CRLF = "\r\n"


def ini(sections, header_comments=()):
    """An INI file as the game keeps it: Windows line ends, ';' comment lines, no BOM."""
    lines = [f"; {comment}" if comment else ";" for comment in header_comments]
    if lines:
        lines.append("")
    for index, (name, entries) in enumerate(sections):
        if index > 0:
            lines.append("")
        lines.append(f"[{name}]")
        for entry in entries:
            if isinstance(entry, str):  # a comment line inside the section
                lines.append(f"; {entry}")
            else:
                key, value = entry
                lines.append(f"{key}={value}")
    return CRLF.join(lines) + CRLF


ENGINE_INI = ini(
    [
        (
            "Engine.Setup",
            [
                "vegetation",
                ("VegetationAdmin.Quality", "med"),
                ("VegetationAdmin.ViewRange", "2500.0"),
                ("Render.EnableVegetationRendering", "true"),
                "shadows",
                ("Shader.EnableTreeShadows", "true"),
                ("Shader.EnableStaticShadows", "false"),
                ("Shader.EnableDetailShadows", "true"),
                "animation and characters",
                ("AnimationBlending.PhysicControllerDistance", "1000.0"),
                ("Animation.MaxRagDolls", "20"),
                ("Entity.ROI", "3000.0"),
                "level of detail",
                ("Render.EnableLowpolyRendering", "true"),
                ("Render.MeshLoDQuality", "high"),
                ("Render.AnimationLoDQuality", "normal"),
                ("Render.ImageLoDQuality", "high"),
                ("Render.GlobalVisualLoDFactor", "0.02"),
                ("Render.PrefetchGridCellSize", "10000"),
                "depth of field",
                ("Render.DOFStart", "1500.0"),
                ("Render.DOFEnd", "9000.0"),
                "frame rate targets",
                ("FpS.Average", "30.0"),
                ("FpS.Min", "15.0"),
                ("FpS.Max", "60.0"),
                "resource caches in bytes",
                ("Cache.SizeImage", "100000000"),
                ("Cache.SizeMesh", "70000000"),
                ("Cache.SizeSound", "64000000"),
                ("Cache.SizeMaterial", "40000000"),
                ("Cache.SizeCollisionMesh", "32000000"),
                ("Cache.SizeAnimation", "40000000"),
                ("Cache.SizeSpeedTree", "10000000"),
                "engine keys the tuning utility does not show",
                ("Render.Gamma", "1.0"),
                ("Render.ScreenshotFormat", "png"),
                ("Sound.MaxChannels", "48"),
            ],
        ),
        (
            "Option.Sliders",
            [
                "resource cache budgets per cache level, in bytes",
                ("ResourceCache.u32ImageMaxMemUsage_Low", "32000000"),
                ("ResourceCache.u32MeshMaxMemUsage_Low", "30000000"),
                ("ResourceCache.u32SoundMaxMemUsage_Low", "10000000"),
                ("ResourceCache.u32MaterialMaxMemUsage_Low", "18000"),
                ("ResourceCache.u32CollisionMeshMaxMemUsage_Low", "12000000"),
                ("ResourceCache.u32AnimationMaxMemUsage_Low", "25000000"),
                ("ResourceCache.u32SpeedTreeMaxMemUsage_Low", "500000"),
                ("ResourceCache.u32ImageMaxMemUsage_Medium", "64000000"),
                ("ResourceCache.u32MeshMaxMemUsage_Medium", "40000000"),
                ("ResourceCache.u32SoundMaxMemUsage_Medium", "15000000"),
                ("ResourceCache.u32MaterialMaxMemUsage_Medium", "20000"),
                ("ResourceCache.u32CollisionMeshMaxMemUsage_Medium", "16000000"),
                ("ResourceCache.u32AnimationMaxMemUsage_Medium", "30000000"),
                ("ResourceCache.u32SpeedTreeMaxMemUsage_Medium", "750000"),
                ("ResourceCache.u32ImageMaxMemUsage_High", "128000000"),
                ("ResourceCache.u32MeshMaxMemUsage_High", "96000000"),
                ("ResourceCache.u32SoundMaxMemUsage_High", "20000000"),
                ("ResourceCache.u32MaterialMaxMemUsage_High", "21000"),
                ("ResourceCache.u32CollisionMeshMaxMemUsage_High", "18000000"),
                ("ResourceCache.u32AnimationMaxMemUsage_High", "40000000"),
                ("ResourceCache.u32SpeedTreeMaxMemUsage_High", "1000000"),
                ("ResourceCache.u32ImageMaxMemUsage_TextureQualityHigh", "300000000"),
                "view distances per detail level",
                ("ObjectDetails.fRangedBaseLoDOffset_Low", "-300.0"),
                ("DistanceHigh.fFarClippingPlane_Low", "5000.0"),
                ("DistanceLow.fFarClippingPlaneLowPolyMesh_Low", "20000.0"),
                ("ObjectDetails.fRangedBaseLoDOffset_Medium", "0.0"),
                ("DistanceHigh.fFarClippingPlane_Medium", "8000.0"),
                ("DistanceLow.fFarClippingPlaneLowPolyMesh_Medium", "40000.0"),
                ("ObjectDetails.fRangedBaseLoDOffset_High", "300.0"),
                ("DistanceHigh.fFarClippingPlane_High", "12000.0"),
                ("DistanceLow.fFarClippingPlaneLowPolyMesh_High", "100000.0"),
            ],
        ),
        (
            "Options.Low",
            [
                ("DistanceHigh", "1"),
                ("DistanceLow", "1"),
                ("ResourceCache", "1"),
                ("ObjectDetails", "1"),
                ("ShaderQuality", "0"),
                ("TextureQuality", "1"),
                ("TextureFilter", "0"),
                ("VegetationQuality", "1"),
                ("ShadowQuality", "0"),
                ("PostProcessing", "0"),
            ],
        ),
        (
            "Options.Medium",
            [
                ("DistanceHigh", "2"),
                ("DistanceLow", "2"),
                ("ResourceCache", "2"),
                ("ObjectDetails", "2"),
                ("ShaderQuality", "1"),
                ("TextureQuality", "2"),
                ("TextureFilter", "2"),
                ("VegetationQuality", "2"),
                ("ShadowQuality", "2"),
                ("PostProcessing", "1"),
            ],
        ),
        (
            "Options.High",
            [
                ("DistanceHigh", "3"),
                ("DistanceLow", "3"),
                ("ResourceCache", "3"),
                ("ObjectDetails", "3"),
                ("ShaderQuality", "2"),
                ("TextureQuality", "3"),
                ("TextureFilter", "4"),
                ("VegetationQuality", "3"),
                ("ShadowQuality", "3"),
                ("PostProcessing", "1"),
            ],
        ),
        ("Camera", [("fMaxDistToPlayer", "750.0"), ("fMinDistToPlayer", "150.0")]),
        ("Game", [("TestMode", "false"), ("Difficulty", "normal")]),
        ("Input", [("MouseSensitivity", "1.0"), ("InvertMouse", "false")]),
    ],
    header_comments=(
        "Draskel 3 engine configuration of the demo installation.",
        "Made by scripts/make-demo.py for trying the tuning utility without the game.",
        "Keys and sections the utility does not know are kept as they are when it saves.",
    ),
)

DEBUG_INI = ini(
    [
        (
            "PropertySets",
            [
                ("PlayerMemory.Enabled", "false"),
                ("PropertySets.LogChanges", "false"),
            ],
        ),
        ("Log", [("Level", "warning"), ("File", "debug.log")]),
    ],
    header_comments=("Debug switches of the demo installation.",),
)

# The game plays these start-up videos in order; the list has no line end after its last name.
LOGO_INI = CRLF.join(f"DK3_Logo_{number:02d}.bik" for number in range(1, 6))

USER_OPTIONS_INI = ini(
    [
        ("Options.Details", [("Performance", "custom")]),
        (
            "Options.Custom",
            [
                ("DistanceHigh", "2"),
                ("DistanceLow", "2"),
                ("ResourceCache", "2"),
                ("ObjectDetails", "3"),
                ("ShaderQuality", "2_0"),
                ("TextureQuality", "3"),
                ("TextureFilter", "2"),
                ("VegetationQuality", "2"),
                ("ShadowQuality", "2"),
                ("PostProcessing", "1"),
            ],
        ),
        (
            "Options.Video",
            [
                ("Resolution.Width", "1024"),
                ("Resolution.Height", "768"),
                ("Resolution.RefreshRate", "60"),
            ],
        ),
        ("Options.Audio", [("MusicVolume", "80"), ("EffectsVolume", "100")]),
    ]
)

# Depth-of-field post-processing of the demo installation. The first "BloomImage" is the sampler's
# declaration, the second stands in the bloom statement, which the tuning utility edits; the bloom
# statement is the game's unedited one, without a factor.
SHADER_LINES = [
    "//---------------------------------------------------------------------------",
    "// IP_DOF.fx: depth of field and bloom composition of the demo installation.",
    "// Made by scripts/make-demo.py; no game loads it.",
    "//---------------------------------------------------------------------------",
    "",
    "float4x4 mWorldViewProj;",
    "float4 vDOFParams;\t// x = sharp from, y = sharp to, z = blur range, w = unused",
    "float4 vScreenSize;\t// x, y = size in pixels, z, w = size of one pixel",
    "",
    "texture SceneTexture;",
    "texture DepthTexture;",
    "texture BlurTexture;",
    "texture GlowTexture;",
    "",
    "sampler2D SceneImage = sampler_state",
    "{",
    "\tTexture = <SceneTexture>;",
    "\tMinFilter = Point;",
    "\tMagFilter = Point;",
    "\tAddressU = Clamp;",
    "\tAddressV = Clamp;",
    "};",
    "",
    "sampler2D DepthImage = sampler_state",
    "{",
    "\tTexture = <DepthTexture>;",
    "\tMinFilter = Point;",
    "\tMagFilter = Point;",
    "\tAddressU = Clamp;",
    "\tAddressV = Clamp;",
    "};",
    "",
    "sampler2D BlurImage = sampler_state",
    "{",
    "\tTexture = <BlurTexture>;",
    "\tMinFilter = Linear;",
    "\tMagFilter = Linear;",
    "\tAddressU = Clamp;",
    "\tAddressV = Clamp;",
    "};",
    "",
    "sampler2D BloomImage = sampler_state",
    "{",
    "\tTexture = <GlowTexture>;",
    "\tMinFilter = Linear;",
    "\tMagFilter = Linear;",
    "\tAddressU = Clamp;",
    "\tAddressV = Clamp;",
    "};",
    "",
    "struct VS_OUTPUT",
    "{",
    "\tfloat4 Position : POSITION;",
    "\tfloat2 TexCoord0 : TEXCOORD0;",
    "};",
    "",
    "VS_OUTPUT VS_Fullscreen( float4 vPos : POSITION, float2 vTex : TEXCOORD0 )",
    "{",
    "\tVS_OUTPUT output;",
    "\toutput.Position = mul( vPos, mWorldViewProj );",
    "\toutput.TexCoord0 = vTex + 0.5f * vScreenSize.zw;",
    "\treturn output;",
    "}",
    "",
    "float BlurAmount( float fDepth )",
    "{",
    "\tfloat fNear = saturate( ( vDOFParams.x - fDepth ) / vDOFParams.x );",
    "\tfloat fFar = saturate( ( fDepth - vDOFParams.y ) / vDOFParams.z );",
    "\treturn max( fNear, fFar );",
    "}",
    "",
    "float4 PS_DepthOfField( VS_OUTPUT input ) : COLOR0",
    "{",
    "\tfloat4 cOut = tex2D( SceneImage, input.TexCoord0 );",
    "\tfloat4 cBlur = tex2D( BlurImage, input.TexCoord0 );",
    "\tfloat fDepth = tex2D( DepthImage, input.TexCoord0 ).r;",
    "",
    "\tcOut.rgb = lerp( cOut.rgb, cBlur.rgb, BlurAmount( fDepth ) );",
    "\tcOut.rgb += tex2D( BloomImage, input.TexCoord0 ) * ( 1.0f -cOut.rgb );",
    "",
    "\treturn cOut;",
    "}",
    "",
    "technique DepthOfField",
    "{",
    "\tpass P0",
    "\t{",
    "\t\tVertexShader = compile vs_2_0 VS_Fullscreen();",
    "\t\tPixelShader = compile ps_2_0 PS_DepthOfField();",
    "\t\tZEnable = false;",
    "\t\tCullMode = None;",
    "\t}",
    "}",
]
SHADER = CRLF.join(SHADER_LINES) + CRLF

EXECUTABLE = (
    "Placeholder of Draskel3.exe in the demo installation of the Draskel 3 Tuning Utility.\n"
    "It is no program: the utility only needs a file of this name to accept the folder as the\n"
    "game's installation. Made by scripts/make-demo.py.\n"
)

FILES = {
    "game/Draskel3.exe": EXECUTABLE,
    "game/Ini/dk3e.ini": ENGINE_INI,
    "game/Ini/debug.ini": DEBUG_INI,
    "game/Ini/logo.ini": LOGO_INI,
    "game/Data/Materials/Effects/ImageProcessing/IP_DOF.fx": SHADER,
    "documents/draskel3/UserOptions.ini": USER_OPTIONS_INI,
}


# An app id of our own for the demo; the program recognises the game by its files, not by its id.
DEMO_APP_ID = "3999990"
DEMO_INSTALL_DIR = "Draskel 3"


def vdf(lines):
    """Valve's key-value text as Steam writes it: tabs, LF line ends."""
    return "\n".join(lines) + "\n"


def steam_home(home):
    """A home folder in which Steam has installed the demo game and made its Proton prefix."""
    steam = home / ".local/share/Steam"
    steamapps = steam / "steamapps"
    game = steamapps / "common" / DEMO_INSTALL_DIR
    prefix = steamapps / "compatdata" / DEMO_APP_ID / "pfx"
    documents = prefix / "drive_c/users/steamuser/Documents"
    files = {
        steamapps / "libraryfolders.vdf": vdf([
            '"libraryfolders"', "{", '\t"0"', "\t{", f'\t\t"path"\t\t"{steam}"',
            '\t\t"label"\t\t""', '\t\t"apps"', "\t\t{", f'\t\t\t"{DEMO_APP_ID}"\t\t"1048576"',
            "\t\t}", "\t}", "}"]),
        steamapps / f"appmanifest_{DEMO_APP_ID}.acf": vdf([
            '"AppState"', "{", f'\t"appid"\t\t"{DEMO_APP_ID}"', '\t"name"\t\t"Draskel 3"',
            f'\t"installdir"\t\t"{DEMO_INSTALL_DIR}"', '\t"StateFlags"\t\t"4"', "}"]),
        prefix / "system.reg": "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
                               "#arch=win64\n",
        prefix / "user.reg": "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                             "#arch=win64\n\n"
                             "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders] 1700000000\n"
                             '"Personal"="C:\\\\users\\\\steamuser\\\\Documents"\n',
    }
    for relative, text in FILES.items():
        if relative.startswith("game/"):
            files[game / relative[len("game/"):]] = text
        else:
            files[documents / relative[len("documents/"):]] = text
    for target, text in files.items():
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(text.encode("cp1252"))
    dosdevices = prefix / "dosdevices"
    dosdevices.mkdir(parents=True, exist_ok=True)
    for letter, target in (("c:", "../drive_c"), ("z:", "/")):
        link = dosdevices / letter
        if not link.is_symlink():
            link.symlink_to(target)
    # Steam's own links to its root, as the native client makes them.
    (home / ".steam").mkdir(parents=True, exist_ok=True)
    for name in ("steam", "root"):
        link = home / ".steam" / name
        if not link.is_symlink():
            link.symlink_to("../.local/share/Steam")
    (home / "Documents").mkdir(parents=True, exist_ok=True)
    print(f"Demo game:     {game}")
    print(f"Proton prefix: {prefix}")
    return 0


def main(argv):
    if len(argv) == 3 and argv[1] == "--steam-home":
        return steam_home(Path(argv[2]).resolve())
    check = argv[1:] == ["--check"]
    if argv[1:] and not check:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    differing = []
    for relative, text in FILES.items():
        target = DEMO / relative
        content = text.encode("cp1252")
        if check:
            if not target.is_file() or target.read_bytes() != content:
                differing.append(relative)
            continue
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(content)
    for relative in differing:
        print(f"demo/{relative} differs from what scripts/make-demo.py makes", file=sys.stderr)
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
