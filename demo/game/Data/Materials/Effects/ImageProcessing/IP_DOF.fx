//---------------------------------------------------------------------------
// IP_DOF.fx: depth of field and bloom composition of the demo installation.
// Made by scripts/make-demo.py; no game loads it.
//---------------------------------------------------------------------------

float4x4 mWorldViewProj;
float4 vDOFParams;	// x = sharp from, y = sharp to, z = blur range, w = unused
float4 vScreenSize;	// x, y = size in pixels, z, w = size of one pixel

texture SceneTexture;
texture DepthTexture;
texture BlurTexture;
texture GlowTexture;

sampler2D SceneImage = sampler_state
{
	Texture = <SceneTexture>;
	MinFilter = Point;
	MagFilter = Point;
	AddressU = Clamp;
	AddressV = Clamp;
};

sampler2D DepthImage = sampler_state
{
	Texture = <DepthTexture>;
	MinFilter = Point;
	MagFilter = Point;
	AddressU = Clamp;
	AddressV = Clamp;
};

sampler2D BlurImage = sampler_state
{
	Texture = <BlurTexture>;
	MinFilter = Linear;
	MagFilter = Linear;
	AddressU = Clamp;
	AddressV = Clamp;
};

sampler2D BloomImage = sampler_state
{
	Texture = <GlowTexture>;
	MinFilter = Linear;
	MagFilter = Linear;
	AddressU = Clamp;
	AddressV = Clamp;
};

struct VS_OUTPUT
{
	float4 Position : POSITION;
	float2 TexCoord0 : TEXCOORD0;
};

VS_OUTPUT VS_Fullscreen( float4 vPos : POSITION, float2 vTex : TEXCOORD0 )
{
	VS_OUTPUT output;
	output.Position = mul( vPos, mWorldViewProj );
	output.TexCoord0 = vTex + 0.5f * vScreenSize.zw;
	return output;
}

float BlurAmount( float fDepth )
{
	float fNear = saturate( ( vDOFParams.x - fDepth ) / vDOFParams.x );
	float fFar = saturate( ( fDepth - vDOFParams.y ) / vDOFParams.z );
	return max( fNear, fFar );
}

float4 PS_DepthOfField( VS_OUTPUT input ) : COLOR0
{
	float4 cOut = tex2D( SceneImage, input.TexCoord0 );
	float4 cBlur = tex2D( BlurImage, input.TexCoord0 );
	float fDepth = tex2D( DepthImage, input.TexCoord0 ).r;

	cOut.rgb = lerp( cOut.rgb, cBlur.rgb, BlurAmount( fDepth ) );
	cOut.rgb += tex2D( BloomImage, input.TexCoord0 ) * ( 1.0f -cOut.rgb );

	return cOut;
}

technique DepthOfField
{
	pass P0
	{
		VertexShader = compile vs_2_0 VS_Fullscreen();
		PixelShader = compile ps_2_0 PS_DepthOfField();
		ZEnable = false;
		CullMode = None;
	}
}
